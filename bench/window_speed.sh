#!/usr/bin/env bash
# The window's speed figures under Xvfb: the processor time the program takes at
# 100% speed, and the speed read-out with Limit speed off.
#   bench/window_speed.sh [BUILD_DIR]
set -u
build=${1:-build}
kestrel="$build/kestrel"
seconds=12
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "window_speed: xvfb-run is not installed (Debian package xvfb)" >&2
    exit 1
fi
[ -x "$kestrel" ] || { echo "window_speed: $kestrel not built" >&2; exit 1; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Processor time of the whole process over a fixed wall time, at 100% speed.
TIMEFORMAT='%R %U %S'
times=$( { time xvfb-run -a -s "-screen 0 1024x768x24" "$kestrel" --quit-after-seconds "$seconds" \
            --print-title 2>"$log" >/dev/null; } 2>&1 | tail -n 1)
read -r real user sys <<<"$times"
echo "read-outs at 100% speed:"
grep 'Mhz CPU' "$log" | tail -n 3 | sed 's/^/  /'
cpu=$(awk -v u="$user" -v s="$sys" -v r="$seconds" 'BEGIN { printf "%.1f", (u + s) / r * 100 }')

# Limit speed off: the read-out's per cent and video figures.
xvfb-run -a -s "-screen 0 1024x768x24" "$kestrel" --quit-after-seconds "$seconds" --no-limit-speed \
    --print-title 2>"$log" >/dev/null
echo "read-outs with Limit speed off:"
grep 'Mhz CPU' "$log" | tail -n 3 | sed 's/^/  /'
best=$(grep -o 'at [0-9]*%' "$log" | tr -dc '0-9\n' | sort -n | tail -n 1)
echo "processor use at 100% speed: ${cpu}% of one core (process and Xvfb start-up included)"
echo "unlimited speed read-out: ${best:-0}%"
