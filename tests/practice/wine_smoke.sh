#!/usr/bin/env bash
# Starts QuillpostPractice.exe under Wine on its own Xvfb, types into it through X (xdotool, German
# layout with dead keys, Backspace) and checks the record file byte for byte. What a Windows program
# types with SendInput (characters outside the BMP as two UTF-16 halves) is tests/win32's typing tests.
#   wine_smoke.sh PROGRAM.exe WINEPREFIX WORKDIR [DISPLAY]
set -u
program=$1
export WINEPREFIX=$(realpath -m "$2")
work=$3
display=${4:-:89}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
mkdir -p "$work"
record=$work/record.txt
rm -f "$record"

source "$(dirname "$0")/../support/x_session.sh"
source "$(dirname "$0")/expect_record.sh"
extra_cleanup() { wineserver -k 2>/dev/null; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    (unset DISPLAY; wineboot -i >"$work/wineboot.log" 2>&1; wineserver -w)
fi

start_xvfb "$display" 1280x800x24 "$work/xvfb.log" || exit 1
setxkbmap de || exit 1
if command -v openbox >/dev/null; then
    start_openbox "$work/openbox.log" || exit 1
fi

title="Ultima Online - Rauchtest"
wine "$program" --record "Z:${record//\//\\}" --title "$title" >"$work/program.log" 2>&1 &
pids+=($!)
window=$(timeout 60 xdotool search --sync --name "^$title\$" | head -1)
[ -n "$window" ] || { echo "no window titled '$title'"; cat "$work/program.log"; exit 1; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 0.5

# Through X with the German layout, dead keys included.
xdotool key --delay 60 H a l l o space W e l t exclam Tab Return
xdotool key --delay 100 dead_circumflex e dead_acute e dead_grave a dead_circumflex space
xdotool type --delay 60 'Ende (1+1=2) {x} [y] \ @ ~ äöüß€ '
xdotool key --delay 60 shift+adiaeresis shift+odiaeresis shift+udiaeresis space x BackSpace Return

expected=$'Hallo Welt!\t\nêéà^Ende (1+1=2) {x} [y] \\ @ ~ äöüß€ ÄÖÜ x\b\n'
expect_record "$record" "$expected" || exit 1
