#!/usr/bin/env bash
# Runs one Windows program of the cross build under Wine, for CTest and try_run.
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# PREFIX is the build's own Wine prefix (wine-prefix.sh). The window tests end its wineserver when
# they are done. No X display is used.
set -u
prefix=$1
shift
unset DISPLAY WAYLAND_DISPLAY
. "$(dirname "$0")/wine-prefix.sh"
quill_take_wine_prefix "$prefix"
wine "$@" 9>&-
