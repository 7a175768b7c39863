#!/usr/bin/env bash
# Runs `bash scripts/run.sh` as a user would, on an Xvfb screen of its own with a client window (an
# xterm titled like a game client, so the program starts without its warning), waits for the main
# window and saves a picture of it. Then ends the program, which run.sh started in its place.
#   scripts/screenshot-run.sh OUTPUT.png [DISPLAY_NUMBER]      (display :77 unless given)
set -uo pipefail
out=$(realpath -m "$1")
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8 LANG=C.UTF-8
source tests/support/x_session.sh
unset WAYLAND_DISPLAY

start_xvfb ":${2:-77}" 1024x768x24 || exit 1
xterm -T "Ultima Online - Aldric" -geometry 60x10+600+500 -e sh -c 'stty -echo; exec cat >/dev/null' &
pids+=($!)
for _ in $(seq 100); do
    xdotool search --name '^Ultima Online - Aldric$' >/dev/null 2>&1 && break
    sleep 0.1
done

log=$(mktemp)
extra_cleanup() { rm -f "$log"; }
bash scripts/run.sh >"$log" 2>&1 &
run_pid=$!
pids+=("$run_pid")
# run.sh builds first: wait for the window as long as it runs.
main=""
while kill -0 "$run_pid" 2>/dev/null; do
    main=$(xdotool search --onlyvisible --name '^UO Quillpost v2' 2>/dev/null | head -n1)
    [ -n "$main" ] && break
    sleep 0.5
done
if [ -z "$main" ]; then
    echo "FAIL: scripts/run.sh ended without showing the main window:" >&2
    tail -n 40 "$log" >&2
    exit 1
fi
# The text cursor blinks in the focused editor: give the focus to the client, so every picture is
# taken without it.
xdotool windowfocus --sync "$(xdotool search --name '^Ultima Online - Aldric$' | head -n1)"
sleep 1
mkdir -p "$(dirname "$out")"
import -window "$main" "$out" || exit 1
echo "Main window after scripts/run.sh: $(identify -format '%wx%h' "$out") -> $out"
