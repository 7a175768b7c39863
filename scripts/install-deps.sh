#!/usr/bin/env bash
# Installs every Debian 12 package the build and the tests need (as root; skips what is there).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev zlib1g-dev
  # Linux program
  qt6-base-dev qt6-base-dev-tools libx11-dev libxtst-dev libxres-dev libxi-dev libxkbfile-dev
  fonts-liberation
  # Windows program
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  # real windows for the tests
  xvfb xauth openbox xterm xdotool xclip x11-xkb-utils x11-utils x11-apps imagemagick wine wine64
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
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
