#!/usr/bin/env bash
# Takes the screenshots of the README under Xvfb with openbox: the main window with a short text,
# and the About dialog.  Usage: take_screenshots.sh <quillpost> <output folder>
set -uo pipefail

program=$1
out=$2
export LC_ALL=C.UTF-8
source "$(dirname "$0")/../support/x_session.sh"

wait_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window $1" >&2
  return 1
}

start_xvfb ":${QUILL_QT_SHOT_DISPLAY:-95}" 1024x768x24 || exit 1
start_openbox || exit 1
# A client to find, so the program starts without its warning.
xterm -T "Ultima Online - Aldric" -geometry 60x10+600+500 -e sh -c 'stty -echo; exec cat >/dev/null' &
pids+=($!)
client=$(wait_window '^Ultima Online - Aldric$') || exit 1
# The client must be known to the window manager before the program's scan lists it.
for _ in $(seq 100); do
  xprop -root _NET_CLIENT_LIST | grep -qw "$(printf '0x%x' "$client")" && break
  sleep 0.1
done

"$program" >/dev/null 2>&1 &
pids+=($!)
main=$(wait_window '^UO Quillpost v2') || exit 1
xdotool windowmove --sync "$main" 40 40 && xdotool windowactivate --sync "$main"
printf 'Das Buch der Reise\n\nTag 1: Aufbruch aus Britain, das Wetter klar.\nTag 2: Über die Brücke nach Osten.\n' |
  xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
pids+=($!)
sleep 0.3
xdotool key Tab Tab Tab Tab ctrl+v ctrl+Home
sleep 0.5
import -frame -window "$main" "$out/main-window.png"

xdotool key ctrl+shift+Tab space   # "About"
about=$(wait_window '^Info zu Quillpost$') || exit 1
sleep 0.5
import -frame -window "$about" "$out/about-dialog.png"
