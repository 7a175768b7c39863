#!/usr/bin/env bash
# Makes docs/practice-client-linux.png and docs/practice-client-windows.png: both programs on an
# Xvfb with openbox, a short letter typed into each. Not part of the test run.
#   screenshots.sh quillpost-practice QuillpostPractice.exe practice_send_input.exe WINEPREFIX OUTDIR
set -u
linux=$1
windows=$2
sender=$3
export WINEPREFIX=$(realpath -m "$4") WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
out=$5
display=${DISPLAY_NUMBER:-:88}
mkdir -p "$out"

text=$'Liebe Reisende,\n\nim Gasthaus „Zum goldenen Greif“ am Hafen gibt es heute Abend Met für alle, die ein Lied mitbringen.\n\nWer eine Laute hat, möge sie stimmen; wer keine hat, singe umso lauter!\n\nGruß, Aurelia'

pids=()
cleanup() {
    wineserver -k 2>/dev/null
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1100x760x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xsetroot -solid '#1d1611' 2>/dev/null
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

shoot() {  # title file
    local window
    window=$(timeout 60 xdotool search --sync --name "$1" | head -1)
    [ -n "$window" ] || { echo "no window $1"; exit 1; }
    xdotool windowmove "$window" 40 30
    sleep 1
    import -frame -window "$window" "$2"
}

"$linux" >/dev/null 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --name '^Ultima Online - ' | head -1)
xdotool windowactivate --sync "$window"
while IFS= read -r line; do
    [ -n "$line" ] && xdotool type --delay 15 "$line"
    xdotool key Return
done <<<"$text"
xdotool key BackSpace
shoot '^Ultima Online - ' "$out/practice-client-linux.png"
kill "$!" 2>/dev/null

wine "$windows" >/dev/null 2>&1 &
pids+=($!)
timeout 60 xdotool search --sync --name '^Ultima Online - ' >/dev/null
wine "$sender" 'Ultima Online - Übungsbuch' "$text"
shoot '^Ultima Online - ' "$out/practice-client-windows.png"
