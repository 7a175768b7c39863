#!/usr/bin/env bash
# The real Linux program under Xvfb with openbox:
#  1. the acceptance text, pasted into the editor, reaches a real X client (xterm running cat)
#     exactly, at the slider's pace, after Alt+T;
#  2. Ctrl+X in the editor and Alt+X end the process at once;
#  3. both windows have fixed frames without minimise and maximise boxes; closing the main window
#     leaves an open About dialog, and the program ends when it closes too;
#  4. without a window manager a short text arrives as well.
# With the practice client given, only step 1 runs, with the practice client as the receiver: its
# record file must hold the acceptance text exactly.
# Usage: end_to_end.sh <quillpost> <print_acceptance_text> [<quillpost-practice>]
# The display is :96, or QUILL_QT_E2E_DISPLAY.
set -uo pipefail

program=$1
print_text=$2
practice=${3:-}
display_number=${QUILL_QT_E2E_DISPLAY:-96}
export LC_ALL=C.UTF-8
work=$(mktemp -d)
source "$(dirname "$0")/../support/x_session.sh"
extra_cleanup() { rm -rf "$work"; }  # the processes' files may go before they do

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log" >&2
  [ -s "$work/practice.log" ] && sed 's/^/  practice client: /' "$work/practice.log" >&2
  exit 1
}

# Waits until the window manager has taken window $1 into its client list (up to 10 seconds).
wait_managed() {
  local hex
  hex=$(printf '0x%x' "$1")
  for _ in $(seq 100); do
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -qw "$hex" && return 0
    sleep 0.1
  done
  return 1
}

start_program() {
  "$program" >"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
  main=$(wait_window '^UO Quillpost v2' 15) || fail "the main window did not appear"
  xdotool windowactivate --sync "$main" >/dev/null 2>&1
  sleep 0.3
}

start_xvfb ":$display_number" 1280x1024x24 "$work/xvfb.log" || fail "Xvfb did not start"
# The receiver must not come before the window manager.
start_openbox "$work/openbox.log" || fail "openbox did not start"

"$print_text" >"$work/expected.txt" || fail "no acceptance text"
if [ -n "$practice" ]; then
  # Under its default title, recording every character it takes.
  "$practice" --record "$work/received.txt" >"$work/practice.log" 2>&1 &
  receiver_pid=$!
  pids+=("$receiver_pid")
  receiver=$(wait_window '^Ultima Online - ' 15) || fail "the practice client did not appear"
else
  xterm -u8 -T "Ultima Online - Test" -e sh -c "stty -echo -icanon min 1; exec cat > '$work/received.txt'" &
  receiver_pid=$!
  pids+=("$receiver_pid")
  receiver=$(wait_window '^Ultima Online - Test$') || fail "the receiver did not appear"
fi
wait_managed "$receiver" || fail "openbox did not take the receiver"
sleep 0.5

# --- 1. typing ---------------------------------------------------------------------------------
start_program
xclip -quiet -selection clipboard -i <"$work/expected.txt" >/dev/null 2>&1 &
pids+=($!)
sleep 0.3
xdotool key Tab Tab Tab Tab ctrl+v   # Command1 -> ... -> Text1, paste
sleep 1
xdotool key ctrl+Tab Left            # Slider1 from 2 to 1: 100 ms per character
sleep 0.3
characters=$(wc -m <"$work/expected.txt")
expected_bytes=$(stat -c %s "$work/expected.txt")
started=$(date +%s%N)
xdotool key alt+t
deadline=$((SECONDS + characters / 5 + 30))
while ((SECONDS < deadline)); do
  size=$(stat -c %s "$work/received.txt" 2>/dev/null || echo 0)
  ((size >= expected_bytes)) && break
  sleep 0.2
done
finished=$(date +%s%N)
sleep 1  # nothing more may follow
if ! cmp -s "$work/expected.txt" "$work/received.txt"; then
  echo "--- expected vs received:" >&2
  diff <(od -c "$work/expected.txt") <(od -c "$work/received.txt") | head -40 >&2
  fail "the receiver did not get exactly the acceptance text"
fi
elapsed_ms=$(((finished - started) / 1000000))
awk -v c="$characters" -v b="$expected_bytes" -v ms="$elapsed_ms" \
  'BEGIN { printf "typed %d characters (%d bytes) in %.1f s: %.0f ms per character at a delay of 100 ms\n", c, b, ms / 1000, ms / c }'
# One character per tick: the text cannot arrive sooner than its ticks allow.
((elapsed_ms * 100 < (characters - 1) * 100 * 95)) && fail "typed faster than the slider's pace"
if [ -n "$practice" ]; then
  kill -0 "$receiver_pid" 2>/dev/null || fail "the practice client ended"
  echo "PASS"
  exit 0
fi

# --- 2. Ctrl+X in the editor, and Alt+X --------------------------------------------------------
xdotool windowactivate --sync "$main" >/dev/null 2>&1
sleep 0.3
xdotool mousemove --window "$main" 200 200 click 1   # into the editor
sleep 0.2
xdotool key ctrl+x
wait_exit "$program_pid" 5
status=$?
((status == 0)) || fail "Ctrl+X in the editor did not end the program (status $status)"

start_program
xdotool key alt+x
wait_exit "$program_pid" 5
status=$?
((status == 0)) || fail "Alt+X did not end the program (status $status)"

# --- 3. the About dialog outlives the main window ------------------------------------------------
start_program
xdotool key Tab Tab Tab space   # Command4, "About"
about=$(wait_window '^Info zu Quillpost$') || fail "the About dialog did not open"
# Task bars (EWMH pagers) leave out windows in this state: the dialog has no button of its own.
xprop -id "$about" _NET_WM_STATE | grep -qw _NET_WM_STATE_SKIP_TASKBAR ||
  fail "the About dialog would get a task-bar button: $(xprop -id "$about" _NET_WM_STATE)"
# Both frames are fixed: no resizing or maximising offered, and the Motif hints ask for a close box but
# no minimise or maximise box (openbox draws its title buttons whatever the hints say, the unavailable
# ones disabled).
for window in "$main" "$about"; do
  actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
  grep -qE 'RESIZE|MAXIMIZE' <<<"$actions" && fail "a window can be resized or maximised: $actions"
  read -r _ _ flags functions decorations _ < <(xprop -id "$window" _MOTIF_WM_HINTS | tr -d ,)
  (((flags & 3) == 3 && (functions & 0x38) == 0x20 && (decorations & 0x60) == 0)) ||
    fail "no close box, or minimise or maximise not ruled out: $(xprop -id "$window" _MOTIF_WM_HINTS)"
done
xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool key alt+F4   # openbox: close the active window
sleep 1
kill -0 "$program_pid" 2>/dev/null || fail "closing the main window ended the program while About was open"
xdotool search --name '^UO Quillpost v2' >/dev/null 2>&1 && fail "the main window did not close"
xdotool windowactivate --sync "$about" >/dev/null 2>&1
sleep 0.2
xdotool key Escape
wait_exit "$program_pid" 5
status=$?
((status == 0)) || fail "closing the About dialog did not end the program (status $status)"

# --- 4. without a window manager ----------------------------------------------------------------
kill "$openbox_pid" "$receiver_pid" 2>/dev/null
sleep 0.5
printf 'Ohne Fenstermanager: Grüße, 1+1=2 {ok}\n\tEnde' >"$work/expected2.txt"
xterm -u8 -T "Ultima Online - Zwei" -e sh -c "stty -echo -icanon min 1; exec cat > '$work/received2.txt'" &
pids+=($!)
wait_window '^Ultima Online - Zwei$' >/dev/null || fail "the second receiver did not appear"
sleep 0.5
"$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
main=$(wait_window '^UO Quillpost v2' 15) || fail "the main window did not appear without a window manager"
sleep 0.3
xdotool windowfocus --sync "$main" >/dev/null 2>&1
xclip -quiet -selection clipboard -i <"$work/expected2.txt" >/dev/null 2>&1 &
pids+=($!)
sleep 0.3
xdotool key Tab Tab Tab Tab ctrl+v
sleep 0.5
xdotool key ctrl+Tab Left alt+t
deadline=$((SECONDS + 20))
while ((SECONDS < deadline)); do
  cmp -s "$work/expected2.txt" "$work/received2.txt" && break
  sleep 0.2
done
sleep 0.5
cmp -s "$work/expected2.txt" "$work/received2.txt" || {
  diff <(od -c "$work/expected2.txt") <(od -c "$work/received2.txt" 2>/dev/null) | head -20 >&2
  fail "without a window manager the receiver did not get the text exactly"
}
echo "typed without a window manager as well"

echo "PASS"
