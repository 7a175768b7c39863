#!/usr/bin/env bash
# Runs one Windows program of the cross build under Wine, for CTest and try_run.
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# PREFIX is the build's own Wine prefix, created on first use (wineboot takes a few seconds once).
# Wine programs of one build run one at a time: they share the prefix and its wineserver, and the
# window tests end that wineserver when they are done. No X display is used.
set -u
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/system.reg" ]; then
    wineboot -i >"$prefix.boot.log" 2>&1 9>&-
    wineserver -w 9>&-
fi
wine "$@" 9>&-
