#!/usr/bin/env bash
# Starts quillpost-practice on its own Xvfb, types into it through XTest (xdotool) with a German
# keyboard layout, dead keys included, and checks the record file byte for byte.
#   x11_smoke.sh PROGRAM WORKDIR [DISPLAY]
set -u
program=$1
work=$2
display=${3:-:88}
mkdir -p "$work"
record=$work/record.txt
rm -f "$record"

source "$(dirname "$0")/../support/x_session.sh"
source "$(dirname "$0")/expect_record.sh"
export LC_ALL=C.UTF-8
start_xvfb "$display" 1280x800x24 "$work/xvfb.log" || exit 1
setxkbmap de || exit 1

title="Ultima Online - Rauchtest"
"$program" --record "$record" --title "$title" >"$work/program.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --name "^$title\$" | head -1)
[ -n "$window" ] || { echo "no window titled '$title'"; cat "$work/program.log"; exit 1; }
xdotool windowfocus --sync "$window"

# Characters of the German layout go by their key names (xdotool would type upper-case umlauts
# without Shift). Characters outside the layout are left to end_to_end.sh, where Quillpost types
# them: xdotool maps them onto a spare key and maps it back without waiting for the receiver, so
# the receiver now and then reads the key after the mapping is gone.
xdotool type --delay 20 'Gr'
xdotool key --delay 20 udiaeresis ssharp
xdotool type --delay 20 'e aus '
xdotool key --delay 20 shift+odiaeresis
xdotool type --delay 20 'l: '
xdotool key --delay 20 shift+adiaeresis shift+odiaeresis shift+udiaeresis space adiaeresis odiaeresis \
    udiaeresis space ssharp space EuroSign
xdotool type --delay 20 ' @ {[]} \ | ~ +*#'
xdotool key Tab Return
xdotool key dead_circumflex e dead_acute e dead_grave a dead_circumflex space
xdotool type --delay 20 ' Ende.'
xdotool key KP_Enter x BackSpace

expected=$'Grüße aus Öl: ÄÖÜ äöü ß € @ {[]} \\ | ~ +*#\t\nêéà^ Ende.\nx\b'
expect_record "$record" "$expected" || exit 1
