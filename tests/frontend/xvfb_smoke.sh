#!/bin/sh
# Starts kestrel under a virtual X server, types a line into the firmware, and
# checks that the window shows the frame image 1:1 at (4, 4).
# Usage: xvfb_smoke.sh PATH_TO_KESTREL [video]. Exit 77 (skipped) without xvfb-run.
kestrel="$1"
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "SKIPPED: xvfb-run is not installed"
    exit 77
fi
if ! command -v python3 >/dev/null 2>&1; then
    echo "SKIPPED: python3 is needed to compare the pictures"
    exit 77
fi
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
unset QT_QPA_PLATFORM
# With a second argument "video" the session is recorded too; closing the
# window finishes the file.
video=
[ "$2" = video ] && video="$tmp/session.avi"
xvfb-run -a -s "-screen 0 1024x768x24" "$kestrel" --type 'PRINT 12345\r' --quit-after 4 \
    ${video:+--record-video "$video"} \
    --screenshot-window "$tmp/window.bmp" --frame-image "$tmp/frame.bmp" || { echo "kestrel failed"; exit 1; }
if [ -n "$video" ]; then
    python3 - "$video" <<'PY' || exit 1
import struct, sys
data = open(sys.argv[1], 'rb').read()
if data[:4] != b'RIFF' or data[8:12] != b'AVI ':
    sys.exit("the recording is no AVI file")
index = data.find(b'idx1')
if index < 0:
    sys.exit("the recording has no index: it was not finished")
size, = struct.unpack_from('<I', data, index + 4)
entries = [data[index + 8 + 16 * i: index + 12 + 16 * i] for i in range(size // 16)]
pictures = entries.count(b'00dc')
if not 150 <= pictures <= 250:
    sys.exit("%d pictures in four seconds at 50 per second" % pictures)
print("the recording holds %d pictures" % pictures)
PY
    if command -v ffmpeg >/dev/null 2>&1; then
        ffmpeg -v error -i "$video" -f null - || { echo "the recording does not decode"; exit 1; }
    fi
fi
python3 - "$tmp/window.bmp" "$tmp/frame.bmp" <<'PY'
import struct, sys

def read_bmp(path):
    data = open(path, 'rb').read()
    offset, = struct.unpack_from('<I', data, 10)
    header, width, height, planes, bpp = struct.unpack_from('<IiiHH', data, 14)
    palette = [tuple(data[14 + header + 4 * i: 14 + header + 4 * i + 3][::-1]) for i in range(1 << bpp)] if bpp <= 8 else []
    stride = (width * bpp + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        row = data[offset + y * stride: offset + (y + 1) * stride]
        if bpp == 1:
            rows.append([palette[(row[x >> 3] >> (7 - (x & 7))) & 1] for x in range(width)])
        elif bpp == 8:
            rows.append([palette[row[x]] for x in range(width)])
        else:
            n = bpp // 8
            rows.append([tuple(row[x * n: x * n + 3][::-1]) for x in range(width)])
    if height > 0:
        rows.reverse()
    return width, abs(height), rows

ww, wh, window = read_bmp(sys.argv[1])
fw, fh, frame = read_bmp(sys.argv[2])
if ww < fw + 8 or wh < fh + 8:
    sys.exit("window %dx%d too small for a %dx%d frame" % (ww, wh, fw, fh))
bad = [(x, y) for y in range(fh) for x in range(fw) if window[y + 4][x + 4] != frame[y][x]]
if bad:
    sys.exit("%d pixels differ, first at %s" % (len(bad), bad[0]))
if all(p == (0, 0, 0) for row in frame for p in row):
    sys.exit("the frame is all black: the machine never ran")
border = [window[y][x] for y in range(4) for x in range(fw + 8)]
if any(p != (0, 0, 0) for p in border):
    sys.exit("the border is not black")
print("window matches the %dx%d frame" % (fw, fh))
PY
