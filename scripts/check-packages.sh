#!/usr/bin/env bash
# Builds the Debian package and the Windows zip from the linux and windows builds and checks that
# each holds what a user needs.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/packages
rm -rf "$out"
mkdir -p "$out"

fail() { echo "package check: $*" >&2; exit 1; }

cpack --config build/linux/CPackConfig.cmake -B "$out" >/dev/null
deb=$(ls "$out"/quillpost_*_amd64.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no Debian package was made"
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/quillpost ./usr/bin/quillpost-practice ./usr/share/applications/quillpost.desktop \
            ./usr/share/icons/hicolor/32x32/apps/quillpost.png; do
  grep -q " $path\$" <<<"$contents" || fail "$deb lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libqt6widgets6" <<<"$depends" || fail "$deb does not depend on Qt ($depends)"
echo "$deb: $(wc -l <<<"$contents") entries; depends: $depends"

cpack --config build/windows/CPackConfig.cmake -B "$out" >/dev/null
zip=$(ls "$out"/Quillpost-*-windows-x64.zip 2>/dev/null | head -n1)
[ -n "$zip" ] || fail "no Windows zip was made"
listing=$(cd "$out" && cmake -E tar tf "$(basename "$zip")")
grep -qx "Quillpost.exe" <<<"$listing" || fail "$zip lacks Quillpost.exe ($listing)"
grep -qx "QuillpostPractice.exe" <<<"$listing" || fail "$zip lacks QuillpostPractice.exe ($listing)"
echo "$zip: $(tr '\n' ' ' <<<"$listing")"
