#!/bin/sh
# Installs the build into a temporary prefix and checks what lands there: the
# programs, the desktop file, MIME types, icons, metainfo and man pages.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR [CMAKE]. The validators run only
# when installed.
build="$1"
source="$2"
cmake="${3:-cmake}"
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

out=$("$cmake" --install "$build" --prefix "$tmp" 2>&1) || { echo "$out"; fail "cmake --install"; }

share="$tmp/share"
for f in bin/kestrel bin/kestrel-run share/applications/kestrel.desktop share/mime/packages/kestrel.xml \
         share/icons/hicolor/scalable/apps/kestrel.svg share/metainfo/io.github.kestrel.Kestrel.metainfo.xml \
         share/man/man1/kestrel.1 share/man/man1/kestrel-run.1; do
    [ -s "$tmp/$f" ] || fail "$f not installed"
done
for size in 16 32 48 64 128 256; do
    [ -s "$share/icons/hicolor/${size}x${size}/apps/kestrel.png" ] || fail "${size}x${size} icon not installed"
done
[ -x "$tmp/bin/kestrel" ] && [ -x "$tmp/bin/kestrel-run" ] || fail "programs not executable"
cmp -s "$source/share/applications/kestrel.desktop" "$share/applications/kestrel.desktop" || fail "desktop file differs from the source"

# Every MIME type the desktop file claims is one the MIME package defines.
types=$(sed -n 's/^MimeType=//p' "$share/applications/kestrel.desktop" | tr ';' ' ')
[ -n "$types" ] || fail "no MimeType in the desktop file"
for t in $types; do
    grep -q "type=\"$t\"" "$share/mime/packages/kestrel.xml" || fail "MIME type $t not defined"
done

grep -q "<release version=\"[0-9]" "$share/metainfo/io.github.kestrel.Kestrel.metainfo.xml" || fail "metainfo has no release version"

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$share/applications/kestrel.desktop" || fail "desktop-file-validate"
else
    echo "desktop-file-validate not installed: desktop file not validated"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$share/metainfo/io.github.kestrel.Kestrel.metainfo.xml" || fail "appstreamcli validate"
else
    echo "appstreamcli not installed: metainfo not validated"
fi

"$tmp/bin/kestrel-run" --help >"$tmp/help.txt" || fail "installed kestrel-run --help"
grep -q '^usage: kestrel-run' "$tmp/help.txt" || fail "kestrel-run --help printed no usage"
# The man page describes every option the runner lists.
for option in $(grep -o -- '--[a-z-]*' "$tmp/help.txt" | sort -u); do
    grep -q -- "$(echo "$option" | sed 's/-/\\\\-/g')" "$share/man/man1/kestrel-run.1" || fail "kestrel-run.1 lacks $option"
done
"$tmp/bin/kestrel-run" --version | grep -q '^kestrel-run v[0-9]' || fail "installed kestrel-run --version"
"$tmp/bin/kestrel" --version | grep -q '^kestrel v[0-9]' || fail "installed kestrel --version"
"$tmp/bin/kestrel" --help >"$tmp/khelp.txt" || fail "installed kestrel --help"
grep -q '^Usage: kestrel' "$tmp/khelp.txt" || fail "kestrel --help printed no usage"
for option in $(grep -o -- '--[a-z-]*' "$tmp/khelp.txt" | sort -u); do
    grep -q -- "$(echo "$option" | sed 's/-/\\\\-/g')" "$share/man/man1/kestrel.1" || fail "kestrel.1 lacks $option"
done
echo "installed and checked under a temporary prefix"
