#!/usr/bin/env bash
# Makes docs/practice-client-linux.png and docs/practice-client-windows.png: both programs on an
# Xvfb with openbox, a short letter typed into each. Not part of the test run.
#   screenshots.sh quillpost-practice QuillpostPractice.exe WINEPREFIX OUTDIR
set -u
linux=$1
windows=$2
export WINEPREFIX=$(realpath -m "$3") WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
out=$4
display=${DISPLAY_NUMBER:-:88}
mkdir -p "$out"

text=$'Liebe Reisende,\n\nim Gasthaus „Zum goldenen Greif“ am Hafen gibt es heute Abend Met für alle, die ein Lied mitbringen.\n\nWer eine Laute hat, möge sie stimmen; wer keine hat, singe umso lauter!\n\nGruß, Aurelia'

source "$(dirname "$0")/../support/x_session.sh"
extra_cleanup() { wineserver -k 2>/dev/null; }
start_xvfb "$display" 1100x760x24 || exit 1
xsetroot -solid '#1d1611' 2>/dev/null
start_openbox || exit 1

shoot() {  # title file
    local window
    window=$(timeout 60 xdotool search --sync --name "$1" | head -1)
    [ -n "$window" ] || { echo "no window $1"; exit 1; }
    xdotool windowmove "$window" 40 30
    sleep 1
    import -frame -window "$window" "$2"
}

type_letter() {  # the letter into the practice client's window, once it is there
    local window
    window=$(timeout 60 xdotool search --sync --name '^Ultima Online - ' | head -1)
    xdotool windowactivate --sync "$window"
    while IFS= read -r line; do
        [ -n "$line" ] && xdotool type --delay 15 "$line"
        xdotool key Return
    done <<<"$text"
    xdotool key BackSpace
}

"$linux" >/dev/null 2>&1 &
pids+=($!)
type_letter
shoot '^Ultima Online - ' "$out/practice-client-linux.png"
kill "$!" 2>/dev/null

wine "$windows" >/dev/null 2>&1 &
pids+=($!)
type_letter
shoot '^Ultima Online - ' "$out/practice-client-windows.png"
