#!/usr/bin/env bash
# Installs what is missing, builds both programs and runs every test:
# formatting, unit, document, Qt, X11 under Xvfb, sanitizers, fuzzers, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# The Debian 13 root with its desktops and the libei XWayland (scripts/debian13-root.sh) is made ready
# in the background from the start, so that its downloads, unpacking and build overlap the stages before
# the Debian 13 ones; on a machine that has it, this finds it ready at once. On Debian 13 itself there
# is nothing to repeat.
root_sudo=""
[ "$(id -u)" -eq 0 ] || root_sudo="sudo"
root_pid=""
if ! (. /etc/os-release && [ "${VERSION_CODENAME:-}" = trixie ]); then
  mkdir -p build
  $root_sudo nice -n 5 bash scripts/debian13-root.sh desktops >build/debian13-root.log 2>&1 &
  root_pid=$!
fi

export CTEST_OUTPUT_ON_FAILURE=1
step() { printf '\n==== %s ====\n' "$*"; }
# The window tests drive real X servers, window managers and Wine, whose timing a busy machine can
# upset: a test that fails is run once more, and its first failure stays in the log above the pass.
retry=(--repeat until-pass:2)

step "Formatting (the pinned clang-format 15 with the .clang-format of the root)"
bash scripts/check-format.sh

step "SDL libraries for the SDL receivers (built once from Debian's source packages, cached outside the clone)"
bash scripts/build-sdl.sh

step "Linux build and tests"
cmake --preset linux
cmake --build --preset linux
ctest --preset linux "${retry[@]}"

step "AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan "${retry[@]}"

step "Fuzzers"
bash scripts/run-fuzzers.sh build/fuzz "${QUILL_FUZZ_SECONDS:-15}"

step "Windows build (MinGW-w64) and tests under Wine"
cmake --preset windows
cmake --build --preset windows
ctest --preset windows "${retry[@]}"

step "Packages"
bash scripts/check-packages.sh

# ---- Debian 13: the README's first steps in a Debian 13 root (scripts/debian13-root.sh) ----
step "Debian 13: scripts/run.sh and the tests without a window system, fresh clone in a Debian 13 root"
if [ -z "$root_pid" ]; then
  echo "Skipped: this machine runs Debian 13 itself, and every test above ran on it."
else
  bash scripts/screenshot-run.sh build/screenshots/debian12-main-window.png
  wait "$root_pid" || { echo "The Debian 13 root could not be made ready:" >&2; tail -n 30 build/debian13-root.log >&2; exit 1; }
  cat build/debian13-root.log
  $root_sudo bash scripts/debian13-root.sh test build/screenshots/debian12-main-window.png

  step "Debian 13 desktops: GNOME Shell 48, KWin 6.3 and sway 1.10, with Debian's XWayland and with one built with libei, the Linux build typing"
  $root_sudo bash scripts/debian13-root.sh wayland build/linux debian ei
fi
# ---- end of Debian 13 ----

step "All tests passed"
