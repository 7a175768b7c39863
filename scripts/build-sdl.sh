#!/usr/bin/env bash
# Builds the SDL libraries the SDL receivers of the tests link against, from Debian's source packages,
# and caches them outside the clone (a second run finds them and builds nothing):
#   sdl2-mingw   SDL2 from this distribution's libsdl2 (Debian 12: 2.26, Debian 13: 2.32; elsewhere
#                Debian 12's), cross-built for Windows (MinGW-w64, posix), static
#   sdl3-mingw   SDL3 from Debian 13's libsdl3, cross-built for Windows the same way, static
#   sdl3-linux   SDL3 from Debian 13's libsdl3, built natively (X11 video), static
# Linux SDL2 is the distribution's own libsdl2-dev (scripts/install-deps.sh): both SDL2 receivers have
# the same SDL2.
# The source packages come through a private apt configuration under the cache folder: deb-src lines for
# the suites above there, nothing added to the host's sources, no trixie binary package on Debian 12.
# Usage: build-sdl.sh [CACHE]   (default /var/cache/quillpost, or QUILL_SDL_CACHE)
set -euo pipefail

cache=${1:-${QUILL_SDL_CACHE:-/var/cache/quillpost}}
jobs=$(nproc)
SUDO=""
[ -w "$(dirname "$cache")" ] || [ -w "$cache" ] 2>/dev/null || SUDO="sudo"
$SUDO mkdir -p "$cache"
$SUDO chown "$(id -u):$(id -g)" "$cache"

step() { printf '  [sdl] %s\n' "$*"; }

# Each build is marked complete by a stamp naming the source version and this script's build options
# (SDL3 3.2.10 keeps joystick and HIDAPI: without them it still refers to its virtual joystick driver).
# A build without the stamp, or with another one, is redone. SDL2 for Windows from a release other
# than Debian 12 names that release in a third line (a cache from Debian 12 is not taken for it).
stamp_version=2
done_already() {
  [ -f "$cache/$1/.built" ] && [ "$(sed -n 2p "$cache/$1/.built")" = "options $stamp_version" ] &&
    [ "$(sed -n 3p "$cache/$1/.built")" = "${2:-}" ] && step "$1: cached ($(head -n1 "$cache/$1/.built"))"
}

apt_dir=$cache/apt
sdl2_suite=$(. /etc/os-release && [ "${VERSION_CODENAME:-}" = trixie ] && echo trixie || echo bookworm)
sources=$(for suite in $(printf '%s\n' "$sdl2_suite" trixie | sort -u); do
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main"
done)
private_apt() {
  apt-get -q -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" \
    -o Dir::State::Status=/var/lib/dpkg/status -o APT::Get::Only-Source=true "$@"
}

# fetch_source PACKAGE SUITE: unpacks the source package into $cache/src/SUITE and prints its folder.
fetch_source() {
  local package=$1 suite=$2 folder
  folder=$(find "$cache/src/$suite" -maxdepth 1 -type d -name "$package-*" 2>/dev/null | head -n1)
  if [ -z "$folder" ]; then
    if [ ! -f "$apt_dir/updated" ] || [ "$(cat "$apt_dir/sources.list")" != "$sources" ]; then
      mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
      echo "$sources" >"$apt_dir/sources.list"
      step "apt-get update (private, source lists only)" >&2
      private_apt update -qq >&2
      touch "$apt_dir/updated"
    fi
    mkdir -p "$cache/src/$suite"
    step "apt-get source $package/$suite" >&2
    (cd "$cache/src/$suite" && private_apt source -qq "$package/$suite" >&2)
    folder=$(find "$cache/src/$suite" -maxdepth 1 -type d -name "$package-*" | head -n1)
  fi
  [ -n "$folder" ] || { echo "no source folder for $package/$suite" >&2; return 1; }
  echo "$folder"
}

mingw_toolchain=$cache/mingw-toolchain.cmake
cat >"$mingw_toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
EOF

# build NAME SOURCE [CMAKE ARGS...]: configures, builds and installs SOURCE into $cache/NAME.
build() {
  local name=$1 source=$2
  shift 2
  local work=$cache/build/$name
  rm -rf "$work" "${cache:?}/$name"
  mkdir -p "$cache/build"
  step "$name: building $(basename "$source") ($jobs jobs)"
  local started=$SECONDS
  cmake -S "$source" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$cache/$name" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF -DSDL_TEST_LIBRARY=OFF -DSDL_EXAMPLES=OFF \
    -DSDL_AUDIO=OFF -DSDL_POWER=OFF -DSDL_CAMERA=OFF -DSDL_GPU=OFF -DSDL_DIALOG=OFF -DSDL_VULKAN=OFF \
    -DSDL_INSTALL_DOCS=OFF "$@" >"$work.log" 2>&1 || { tail -40 "$work.log" >&2; return 1; }
  cmake --build "$work" -j "$jobs" >>"$work.log" 2>&1 || { tail -40 "$work.log" >&2; return 1; }
  cmake --install "$work" >>"$work.log" 2>&1 || { tail -40 "$work.log" >&2; return 1; }
  printf '%s\noptions %s\n%s' "$(basename "$source")" "$stamp_version" "${release_line:-}" >"$cache/$name/.built"
  rm -rf "$work"
  step "$name: built in $((SECONDS - started)) s"
}

sdl2_release=""
[ "$sdl2_suite" = bookworm ] || sdl2_release="release $sdl2_suite"
if ! done_already sdl2-mingw "$sdl2_release"; then
  release_line=$sdl2_release build sdl2-mingw "$(fetch_source libsdl2 "$sdl2_suite")" \
    -DCMAKE_TOOLCHAIN_FILE="$mingw_toolchain" -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF
fi
if ! done_already sdl3-mingw; then
  # Debian's repacked source leaves out the precompiled Direct3D shaders: the software and OpenGL
  # renderers remain (the receivers draw with the software renderer).
  build sdl3-mingw "$(fetch_source libsdl3 trixie)" -DCMAKE_TOOLCHAIN_FILE="$mingw_toolchain" \
    -DSDL_RENDER_D3D=OFF -DSDL_RENDER_D3D11=OFF -DSDL_RENDER_D3D12=OFF
fi
if ! done_already sdl3-linux; then
  build sdl3-linux "$(fetch_source libsdl3 trixie)" -DSDL_WAYLAND=OFF -DSDL_KMSDRM=OFF -DSDL_OPENGLES=OFF \
    -DSDL_PIPEWIRE=OFF -DSDL_PULSEAUDIO=OFF -DSDL_ALSA=OFF -DSDL_JACK=OFF -DSDL_SNDIO=OFF -DSDL_LIBUDEV=OFF \
    -DSDL_DBUS=OFF -DSDL_IBUS=OFF -DSDL_X11_XTEST=OFF
fi
