#!/usr/bin/env bash
# Builds the Debian package and the Windows zip from the linux and windows builds and checks that
# each holds what a user needs, passes the distributions' own checks (lintian, desktop-file-validate,
# appstreamcli) and carries the one project version.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/packages
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package check: $*" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt)
[ -n "$version" ] || fail "build/linux names no project version"

cpack --config build/linux/CPackConfig.cmake -B "$out" >/dev/null
deb=$(ls "$out"/quillpost_*_amd64.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no Debian package was made"
contents=$(dpkg-deb -c "$deb")
metainfo=usr/share/metainfo/io.github.quillpost.Quillpost.metainfo.xml
for path in usr/bin/quillpost usr/bin/quillpost-practice usr/share/applications/quillpost.desktop "$metainfo" \
            usr/share/icons/hicolor/32x32/apps/quillpost.png usr/share/man/man1/quillpost.1.gz \
            usr/share/man/man1/quillpost-practice.1.gz usr/share/doc/quillpost/copyright \
            usr/share/doc/quillpost/changelog.gz usr/share/doc/quillpost/THIRD-PARTY-NOTICES.txt; do
  grep -q " ./$path\$" <<<"$contents" || fail "$deb lacks /$path"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libqt6widgets6" <<<"$depends" || fail "$deb does not depend on Qt ($depends)"
echo "$deb: $(wc -l <<<"$contents") entries; depends: $depends"

# The version of the package, of its changelog and of the metainfo's newest release is the project's.
root="$work/deb"
dpkg-deb -x "$deb" "$root"
package_version=$(dpkg-deb -f "$deb" Version)
[ "$package_version" = "$version" ] || fail "$deb has version $package_version, the project $version"
gzip -dc "$root/usr/share/doc/quillpost/changelog.gz" >"$work/changelog"
changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
[ "$changelog_version" = "$version" ] || fail "the changelog's newest entry is $changelog_version, the project $version"
release=$(grep -o -m1 '<release version="[^"]*"' "$root/$metainfo" | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "the metainfo's newest release is $release, the project $version"

# The distributions' own checks, on the files as the package ships them: no error, no warning.
desktop-file-validate "$root/usr/share/applications/quillpost.desktop" || fail "desktop-file-validate rejects the .desktop file"
# The developer is named as AppStream 1.0 (Debian 13) wants it; AppStream 0.16 (Debian 12) does not
# know that tag yet, and that one note of its is the only one let pass.
if ! validation=$(appstreamcli validate --no-net --strict "$root/$metainfo" 2>&1); then
    if ! appstreamcli --version | grep -q 'version: 0\.' || ! grep -q ': unknown-tag developer$' <<<"$validation" ||
        ! grep -Eq 'Validation failed: infos: 1(, pedantic: [0-9]+)?$' <<<"$validation"; then
        echo "$validation" >&2
        fail "appstreamcli rejects the metainfo file"
    fi
fi
# lintian warns when it runs as root: it then reads the package as nobody, from a folder nobody may
# enter (lintian 2.122 stops when it cannot go back to its working folder, a clone under /root).
cp "$deb" "$work/"
chmod -R a+rX "$work"
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work")
(cd "$work" && "${as_user[@]}" lintian --fail-on error,warning "$(basename "$deb")") ||
    fail "lintian reports errors or warnings for $deb"
echo "$deb: version $package_version; lintian, desktop-file-validate and appstreamcli pass"

cpack --config build/windows/CPackConfig.cmake -B "$out" >/dev/null
zip=$(ls "$out"/Quillpost-*-windows-x64.zip 2>/dev/null | head -n1)
[ -n "$zip" ] || fail "no Windows zip was made"
listing=$(cd "$out" && cmake -E tar tf "$(basename "$zip")")
for name in Quillpost.exe QuillpostPractice.exe LICENSE.txt THIRD-PARTY-NOTICES.txt README.txt; do
  grep -qx "$name" <<<"$listing" || fail "$zip lacks $name ($listing)"
done
[ "$(basename "$zip")" = "Quillpost-$version-windows-x64.zip" ] || fail "$zip is not named for version $version"
echo "$zip: $(tr '\n' ' ' <<<"$listing")"

# A SHA-256 checksum file beside each package.
for package in "$deb" "$zip"; do
  [ -f "$package.sha256" ] || fail "no checksum file beside $package"
  (cd "$out" && sha256sum --quiet -c "$(basename "$package").sha256") || fail "$package does not match its checksum"
done
