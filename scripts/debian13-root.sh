#!/usr/bin/env bash
# The first steps of a new user on Debian 13 (trixie), in a Debian 13 root that debootstrap builds from
# Debian's mirror once and that is kept outside the clone (QUILL_DEBIAN13_ROOT, by default
# /var/cache/quillpost/debian13-root). The root holds what scripts/install-deps.sh installs there, plus
# the extra packages below; a stamp file in it records that list, and a changed list extends the root.
#
#   scripts/debian13-root.sh build               build or extend the root, nothing more
#   scripts/debian13-root.sh test REFERENCE.png  a fresh clone of this checkout (with its uncommitted
#       changes and new files that git does not ignore) in the root runs `bash scripts/run.sh`; the main
#       window's picture must match REFERENCE.png (the same taken on this machine by
#       scripts/screenshot-run.sh). Then the whole Linux build and every test that needs no window
#       system (ctest -LE 'x11|wayland').
#   scripts/debian13-root.sh desktops            build the root, add the desktop layer and build the
#       libei XWayland (below)
#   scripts/debian13-root.sh wayland BUILD [debian|ei]...  the Wayland tests (tests/wayland) with the
#       root's GNOME Shell, KWin and sway, with Debian's XWayland, the libei one or both (the default),
#       typing with the programs of the Linux build BUILD of this machine; the libei XWayland is built
#       from Debian 13's source (once, about 12 minutes on 2 cores) when its cases are asked for
#   scripts/debian13-root.sh shell [COMMAND...]  a shell (or COMMAND) in the root, mounts included
#
# As root. /proc, /sys, /dev, /dev/pts and /dev/shm are mounted for the time of the command and always
# unmounted afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
root=${QUILL_DEBIAN13_ROOT:-/var/cache/quillpost/debian13-root}
mirror=${QUILL_DEBIAN13_MIRROR:-http://deb.debian.org/debian}
# git for the clone's own commands, ccache so that the root's builds of unchanged files are quick.
extra_packages=(git ca-certificates ccache)
# Today's desktops for the Wayland tests: a layer of its own (`desktops` below). KDE's portal shows its
# questions with Plasma's dialogs and finds its settings through Plasma's files: plasma-workspace,
# without the rest of Plasma that it recommends.
desktop_packages=(xterm libsdl3-dev xwayland sway kwin-wayland mutter gnome-shell xdg-desktop-portal
                  xdg-desktop-portal-gnome xdg-desktop-portal-kde)
desktop_packages_lean=(plasma-workspace)

# The list the root is built with: the one install-deps.sh resolves, and the extras.
package_list() {
    sha256sum scripts/install-deps.sh | cut -d' ' -f1
    echo "${extra_packages[*]}"
}

mounted=()
unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
    done
    mounted=()
}
mount_root() {
    mount -t proc proc "$root/proc" && mounted+=("$root/proc")
    mount -t sysfs sysfs "$root/sys" && mounted+=("$root/sys")
    mount --bind /dev "$root/dev" && mounted+=("$root/dev")
    mount --bind /dev/pts "$root/dev/pts" && mounted+=("$root/dev/pts")
    mount -t tmpfs -o mode=1777 shm "$root/dev/shm" && mounted+=("$root/dev/shm")
}
# Processes still running in the root (a program a failed step left behind) would keep the mounts busy.
end_root_processes() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -9 "${p#/proc/}" 2>/dev/null
    done
    return 0
}
cleanup() {
    end_root_processes
    unmount_all
}
trap cleanup EXIT

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

build_root() {
    local list stamp=$root/.quillpost-packages start=$SECONDS
    list=$(package_list)
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$list" ]; then
        return 0
    fi
    mkdir -p "$(dirname "$root")"
    if [ ! -f "$root/etc/debian_version" ]; then
        echo "Building the Debian 13 root in $root (once; it is kept for later runs)"
        command -v debootstrap >/dev/null || { echo "debootstrap is missing (apt-get install debootstrap)" >&2; exit 1; }
        rm -rf "$root.new"
        debootstrap --variant=minbase trixie "$root.new" "$mirror" >"$root.debootstrap.log" 2>&1 ||
            { tail -n 30 "$root.debootstrap.log" >&2; exit 1; }
        printf 'deb %s trixie main\ndeb %s trixie-updates main\ndeb http://deb.debian.org/debian-security trixie-security main\n' \
            "$mirror" "$mirror" >"$root.new/etc/apt/sources.list"
        # The root is rebuilt rather than repaired after a crash: dpkg may skip its fsync calls.
        echo force-unsafe-io >"$root.new/etc/dpkg/dpkg.cfg.d/quillpost-unsafe-io"
        # Package scripts must not start services in the root.
        printf '#!/bin/sh\nexit 101\n' >"$root.new/usr/sbin/policy-rc.d"
        chmod 755 "$root.new/usr/sbin/policy-rc.d"
        mv "$root.new" "$root"
    else
        echo "Extending the Debian 13 root in $root: its package list changed"
    fi
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    rm -rf "$root/tmp/install-deps"
    mkdir -p "$root/tmp/install-deps/scripts" "$root/tmp/install-deps/resources"
    cp scripts/install-deps.sh "$root/tmp/install-deps/scripts/"
    cp -r resources/fontconfig "$root/tmp/install-deps/resources/"
    mount_root
    in_root bash -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null' \
        apt "${extra_packages[@]}"
    in_root bash /tmp/install-deps/scripts/install-deps.sh >"$root.install.log" 2>&1 ||
        { tail -n 30 "$root.install.log" >&2; exit 1; }
    in_root apt-get clean
    cleanup
    rm -rf "$root/tmp/install-deps"
    echo "$list" >"$stamp"
    echo "Debian 13 root ready in $((SECONDS - start)) s ($(du -sh "$root" | cut -f1))"
}

add_desktops() {
    local stamp=$root/.quillpost-desktops start=$SECONDS list="${desktop_packages[*]} ${desktop_packages_lean[*]}"
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$list" ] && return 0
    mount_root
    in_root bash -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null' \
        apt "${desktop_packages[@]}" >"$root.desktops.log" 2>&1 || { tail -n 30 "$root.desktops.log" >&2; exit 1; }
    in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${desktop_packages_lean[@]}" >>"$root.desktops.log" 2>&1 || { tail -n 30 "$root.desktops.log" >&2; exit 1; }
    in_root apt-get clean
    cleanup
    echo "$list" >"$stamp"
    echo "Desktop layer of the Debian 13 root ready in $((SECONDS - start)) s ($(du -sh "$root" | cut -f1))"
}

# XWayland as Fedora and Arch build it, with libei and the desktop portal (-Dxwayland_ei=portal): from
# Debian 13's own source package of the XWayland the root has, into /opt/xwayland-ei beside Debian's.
# Xwayland-portal there starts it the way GNOME and KDE start such a build (-enable-ei-portal).
build_xwayland_ei() {
    local stamp=$root/opt/xwayland-ei/.quillpost-build recipe start=$SECONDS
    recipe="xwayland $(in_root dpkg-query -W -f='${Version}' xwayland) -Dxwayland_ei=portal"
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && return 0
    echo "Building XWayland with libei in the Debian 13 root (once; it is kept for later runs)"
    echo "deb-src $mirror trixie main" >"$root/etc/apt/sources.list.d/quillpost-sources.list"
    mount_root
    in_root bash -euo pipefail -c '
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get build-dep -y -qq xwayland >/dev/null
        apt-get install -y -qq --no-install-recommends libei-dev liboeffis-dev >/dev/null
        rm -rf /usr/src/xwayland-ei /opt/xwayland-ei
        mkdir -p /usr/src/xwayland-ei
        cd /usr/src/xwayland-ei
        apt-get source -qq "xwayland=$(dpkg-query -W -f="\${Version}" xwayland)" 2>&1 | grep -v "^W: Download is performed unsandboxed" || true
        meson setup build xwayland-*/ --prefix=/opt/xwayland-ei -Dbuildtype=release -Dxwayland_ei=portal
        nice -n 15 ninja -C build -j2
        ninja -C build install
        printf "#!/bin/sh\nexec /opt/xwayland-ei/bin/Xwayland -enable-ei-portal \"\$@\"\n" >/opt/xwayland-ei/bin/Xwayland-portal
        chmod 755 /opt/xwayland-ei/bin/Xwayland-portal
        cd / && rm -rf /usr/src/xwayland-ei && apt-get clean' >"$root.xwayland-ei.log" 2>&1 ||
        { tail -n 30 "$root.xwayland-ei.log" >&2; exit 1; }
    rm "$root/etc/apt/sources.list.d/quillpost-sources.list"
    cleanup
    echo "$recipe" >"$stamp"
    echo "XWayland with libei in the Debian 13 root ready in $((SECONDS - start)) s"
}

# The Wayland tests in the root, one compositor start per desktop and XWayland. The libei XWayland
# asks GNOME's and KDE's portal (their question, answered by the test), sway's has none to ask. As the
# other window tests of scripts/test-all.sh, a test that fails is run once more; its first failure stays
# in the log above.
wayland_in_root() {
    local build=$1 xwayland variant compositor start attempt failed=() xwaylands=("${@:2}")
    ((${#xwaylands[@]})) || xwaylands=(debian ei)
    [ -x "$build/src/app/qt/quillpost" ] || { echo "no Linux build in $build" >&2; exit 1; }
    mount_root
    for xwayland in "${xwaylands[@]}"; do
        for compositor in gnome kwin sway; do
            variant=$xwayland
            [ "$xwayland" = ei ] && [ "$compositor" != sway ] && variant=ei-portal
            for attempt in 1 2; do
                start=$SECONDS
                if QUILL_ROOT=$root QUILL_XWAYLAND=$variant tests/wayland/wayland_test.sh "$compositor" \
                    quill-d13-$compositor "$build/src/app/qt/quillpost" "$build/src/practice/qt/quillpost-practice" \
                    "$build/tests/qt/print_acceptance_text" "$build/tests/sdl/sdl3_receiver"; then
                    echo "Debian 13, $compositor with $xwayland XWayland: passed in $((SECONDS - start)) s"
                    continue 2
                fi
                echo "Debian 13, $compositor with $xwayland XWayland: failed in $((SECONDS - start)) s (attempt $attempt)"
            done
            failed+=("$compositor with $xwayland XWayland")
        done
    done
    cleanup
    if ((${#failed[@]})); then
        printf 'FAIL: Debian 13, %s\n' "${failed[@]}" >&2
        exit 1
    fi
}

# Through sudo the checkout belongs to someone else, which git refuses to read unless told.
git() { command git -c safe.directory="$repo" "$@"; }

test_in_root() {
    local reference=$1 clone=$root/tmp/quillpost shots=$root/tmp/quillpost-shots
    [ -f "$reference" ] || { echo "no reference picture $reference" >&2; exit 1; }
    rm -rf "$clone" "$shots"
    git clone -q "$repo" "$clone"
    git -C "$clone" checkout -q "$(git rev-parse HEAD)"
    git diff HEAD --binary | git -C "$clone" apply --allow-empty
    git ls-files -z --others --exclude-standard | xargs -0 -r cp --parents -t "$clone"
    mkdir -p "$shots"
    mount_root
    local start=$SECONDS
    in_root env CMAKE_BUILD_PARALLEL_LEVEL=2 CCACHE_DIR=/var/cache/quillpost-ccache \
        CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache bash -euo pipefail -c '
        cd /tmp/quillpost
        . /etc/os-release && echo "In $PRETTY_NAME: g++ $(g++ -dumpfullversion), Qt $(dpkg-query -W -f="\${Version}" qt6-base-dev)"
        bash scripts/screenshot-run.sh /tmp/quillpost-shots/debian13.png 78
        cmake --build --preset linux
        ctest --preset linux -LE "x11|wayland"'
    cleanup
    echo "Debian 13 run, build and tests: $((SECONDS - start)) s"
    compare_shots "$reference" "$shots/debian13.png"
}

# Both pictures show the same window drawn by Qt 6.4 with Liberation Mono 1.07 and FreeType 2.12 (Debian
# 12) and by Qt 6.8 with Liberation Mono 2.1 and FreeType 2.13 (Debian 13). The menu bar is set in the
# system's sans-serif font, whichever the machine has (Noto Sans: 22 rows, Nimbus Sans: 22, DejaVu Sans:
# 19), so only the window's height may differ, by the menu bar's, and the body below it is compared,
# aligned at the bottom (all but the top 24 rows of the lower picture). Measured there: 1330 pixels
# differ at all, only 33 by more than 10% (edge smoothing of the labels, and the foot of the letter "l",
# which Liberation Mono 2 draws as a tail). A letter more in a label moves about 26 more, a control one
# pixel off or a changed colour thousands: more than 50 such pixels fail.
compare_shots() {
    local a=$1 b=$2 width_a width_b height_a height_b rows differing
    read -r width_a height_a < <(identify -format '%w %h\n' "$a")
    read -r width_b height_b < <(identify -format '%w %h\n' "$b")
    if ((width_a != width_b || height_a - height_b > 10 || height_b - height_a > 10)); then
        echo "FAIL: the main window is ${width_b}x$height_b on Debian 13 and ${width_a}x$height_a on Debian 12" >&2
        exit 1
    fi
    rows=$(((height_a < height_b ? height_a : height_b) - 24))
    convert "$a" -gravity South -crop "${width_a}x$rows+0+0" +repage "$b.debian12-body.png"
    convert "$b" -gravity South -crop "${width_a}x$rows+0+0" +repage "$b.debian13-body.png"
    differing=$(compare -metric AE -fuzz 10% "$b.debian12-body.png" "$b.debian13-body.png" null: 2>&1 || true)
    if ! [[ $differing =~ ^[0-9]+$ ]] || ((differing > 50)); then
        compare -fuzz 10% "$b.debian12-body.png" "$b.debian13-body.png" "$b.difference.png" 2>/dev/null || true
        echo "FAIL: the main window on Debian 13 differs from Debian 12's below the menu bar: $differing" \
             "pixels by more than 10% (at most 50); pictures: $a $b $b.difference.png" >&2
        exit 1
    fi
    echo "Main window on Debian 13 (${width_b}x$height_b) as on Debian 12 (${width_a}x$height_a): below the" \
         "menu bar $differing pixels differ by more than 10% (at most 50)"
}

# One user of the root at a time (two test commands on one machine share it).
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9

case ${1:-} in
    build) build_root ;;
    desktops) build_root; add_desktops; build_xwayland_ei ;;
    wayland)
        build_root; add_desktops; shift
        # The libei XWayland is built the first time its cases are asked for (they are by default).
        if (($# == 1)) || [[ " ${*:2} " == *" ei "* ]]; then build_xwayland_ei; fi
        wayland_in_root "$(realpath "$1")" "${@:2}" ;;
    test) build_root; test_in_root "$(realpath "$2")" ;;
    shell) build_root; mount_root; shift; in_root "${@:-bash}" ;;
    *) sed -n '2,/^set -euo/p' "$0" | head -n -1 >&2; exit 2 ;;
esac
