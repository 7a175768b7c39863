#!/usr/bin/env bash
# Installs every Debian 12 package the build and the tests need (as root; skips what is there).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-format
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
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# The main window's font, Courier New, falls back to its metric twin Liberation Mono everywhere.
font_alias="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/resources/fontconfig/30-quillpost-courier-new.conf"
if [ -d /etc/fonts/conf.d ] && ! cmp -s "$font_alias" /etc/fonts/conf.d/30-quillpost-courier-new.conf; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO install -m 644 "$font_alias" /etc/fonts/conf.d/30-quillpost-courier-new.conf
fi
