#!/usr/bin/env bash
# Installs every package the build and the tests need on Debian 12 or 13 (as root; skips what is there).
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
updated=0
apt_update() { ((updated)) || { $SUDO apt-get update -qq; updated=1; }; }

# The clang runtime (sanitizers, libFuzzer) is packaged per clang version: take the one of the clang
# that is installed, otherwise of the clang this distribution installs (Debian 12: 14, Debian 13: 19).
clang_major() {
  clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]\+\).*/\1/p' | head -n1
}
clang_candidate() {
  apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: clang-\([0-9]\+\)$/\1/p' | head -n1
}
clang_version=$(clang_major || true)
[ -n "$clang_version" ] || clang_version=$(clang_candidate || true)
[ -n "$clang_version" ] || { apt_update; clang_version=$(clang_candidate || true); }
if [ -z "$clang_version" ]; then
  echo "install-deps: cannot find the package clang in this distribution's package lists" >&2
  exit 1
fi

packages=(
  # build
  cmake ninja-build g++ pkg-config clang "libclang-rt-$clang_version-dev" clang-format
  libgtest-dev googletest libbenchmark-dev zlib1g-dev
  # Linux program
  qt6-base-dev qt6-base-dev-tools libx11-dev libxtst-dev libxres-dev libxi-dev libxkbfile-dev libxkbcommon-dev
  fonts-liberation qt6-translations-l10n dbus-daemon
  # packages (CPack's Debian generator reads the programs' dependencies with dpkg-shlibdeps and file)
  # and the distributions' checks of the package, the .desktop file and the metainfo
  dpkg-dev file lintian desktop-file-utils appstream
  # Windows program
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  # real windows for the tests
  xvfb xauth openbox xterm xdotool xclip x11-xkb-utils x11-utils x11-apps imagemagick wine wine64 fonts-wine
  # headless Wayland compositors with XWayland, native Wayland windows, and what drives them
  mutter kwin-wayland sway xwayland qt6-wayland wtype x11-xserver-utils procps perl
  # SDL receivers (the open-source game client's toolkit): Debian's SDL2, and what scripts/build-sdl.sh
  # needs to build SDL2/SDL3 from source packages for Windows (MinGW) and SDL3 for Linux (X11)
  libsdl2-dev dpkg-dev debian-archive-keyring libx11-dev libxext-dev libxrandr-dev libxcursor-dev
  libxi-dev libxfixes-dev libxss-dev libxinerama-dev libgl-dev libegl-dev
  # the Debian 13 root that the test command builds (scripts/debian13-root.sh)
  debootstrap
)

# The formatting check installs its pinned clang-format with npm (scripts/check-format.sh). Node.js
# from elsewhere brings npm along and conflicts with Debian's npm package: take that only without npm.
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt_update
  unknown=()
  for p in "${missing[@]}"; do
    apt-cache show --no-all-versions "$p" >/dev/null 2>&1 || unknown+=("$p")
  done
  if ((${#unknown[@]})); then
    echo "install-deps: not in this distribution's package lists ($(. /etc/os-release && echo "$PRETTY_NAME")): ${unknown[*]}" >&2
    exit 1
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# The main window's font, Courier New, falls back to its metric twin Liberation Mono everywhere.
font_alias="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/resources/fontconfig/30-quillpost-courier-new.conf"
if [ -d /etc/fonts/conf.d ] && ! cmp -s "$font_alias" /etc/fonts/conf.d/30-quillpost-courier-new.conf; then
  $SUDO install -m 644 "$font_alias" /etc/fonts/conf.d/30-quillpost-courier-new.conf
fi
