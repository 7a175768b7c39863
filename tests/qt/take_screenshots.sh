#!/usr/bin/env bash
# Takes the screenshots of the README under Xvfb with openbox: the main window with a short text,
# and the About dialog.  Usage: take_screenshots.sh <quillpost> <output folder>
set -uo pipefail

program=$1
out=$2
export LC_ALL=C.UTF-8
source "$(dirname "$0")/../support/x_session.sh"

start_xvfb ":${QUILL_QT_SHOT_DISPLAY:-95}" 1024x768x24 || exit 1
start_openbox || exit 1
# A client to find, so the program starts without its warning; its scan lists the client once the
# window manager manages it, which is when wait_window finds it.
xterm -T "Ultima Online - Aldric" -geometry 60x10+600+500 -e sh -c 'stty -echo; exec cat >/dev/null' &
pids+=($!)
wait_window '^Ultima Online - Aldric$' >/dev/null || { echo 'no client window' >&2; exit 1; }

"$program" >/dev/null 2>&1 &
pids+=($!)
main=$(wait_window '^UO Quillpost v2') || { echo 'no main window' >&2; exit 1; }
xdotool windowmove --sync "$main" 40 40 && xdotool windowactivate --sync "$main"
printf 'Das Buch der Reise\n\nTag 1: Aufbruch aus Britain, das Wetter klar.\nTag 2: Über die Brücke nach Osten.\n' |
  xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
pids+=($!)
sleep 0.3
xdotool key Tab Tab Tab Tab ctrl+v ctrl+Home
sleep 0.5
import -frame -window "$main" "$out/main-window.png"

xdotool key ctrl+shift+Tab space   # "About"
about=$(wait_window '^Info zu Quillpost$') || { echo 'no About dialog' >&2; exit 1; }
sleep 0.5
import -frame -window "$about" "$out/about-dialog.png"
