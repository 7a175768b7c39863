#!/usr/bin/env bash
# The real Linux program in a headless Wayland compositor, typing into clients that are XWayland
# windows. One compositor start serves every case:
#  0. (KWin with the libei XWayland) the user refuses the desktop's question: the transfer stops with
#     its message, the client gets nothing;
#  1. the acceptance text reaches an xterm running a reader exactly at 0.2 s a character (0.1 s in a
#     Debian root); the distance of each arrival from the pace is printed (median, 95th percentile);
#  2. the practice client as an X11 window, minimised first, is restored and gets the acceptance
#     text exactly at 0.1 s;
#  3. a native Wayland window titled "Ultima Online - Wayland" is no client: alone it gets the
#     no-client message;
#  4. a native Wayland window taking the focus mid-transfer gets no key, the transfer pauses and goes
#     on at the same character once the client is in front again;
#  5. a client closed mid-transfer stops the transfer with its message;
#  2b. with an SDL receiver given: an SDL window as the open-source game client draws it on XWayland
#     (SDL2 told so by SDL_VIDEODRIVER=x11, SDL3 by SDL_VIDEO_DRIVER=x11, as the README says), titled
#     "ClassicUO - 1.1.0.407", gets the acceptance text exactly at 0.1 s;
#  6. (sway) without any X server the program says so; its own window on Wayland
#     (QT_QPA_PLATFORM=wayland) still types into the
#     XWayland client, and only while the client has the focus.
# With QUILL_ROOT and QUILL_XWAYLAND (compositor.sh) the compositor runs in a Debian root. Quillpost's
# own window is driven with keys sent to it (XSendEvent): only Quillpost uses XTest, so that with a
# libei XWayland the desktop asks about Quillpost alone. Its question is answered as a user would,
# each time it comes: GNOME's "Remote Desktop" window with a pointer of the shell (the switch "Allow
# Remote Interaction", then "Share"), KDE's "Remote control requested" brought to the front
# (KWin's window runner) and Enter ("Share").
# Usage: wayland_test.sh mutter|gnome|kwin|sway SOCKET <quillpost> <quillpost-practice> <print_acceptance_text> [<sdl_receiver>]
set -uo pipefail

compositor=$1 socket=$2 program=$3 practice=$4 print_text=$5 sdl_receiver=${6:-}
export LC_ALL=C.UTF-8
work=$(mktemp -d ${QUILL_ROOT:+"$QUILL_ROOT/tmp/quill-wayland.XXXXXX"})
chmod 755 "$work"
pace=0.2
[ -n "${QUILL_ROOT:-}" ] && pace=0.1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/x_session.sh"
source "$here/compositor.sh"
extra_cleanup() { rm -rf "$work"; }

fail() {
  echo "FAIL ($compositor): $*" >&2
  echo "  in front: $(xdotool getactivewindow getwindowname 2>&1); the desktop's question answered" \
    "$(cat "$work/answers" 2>/dev/null | wc -l) time(s)" >&2
  for log in "$work"/*.log; do [ -s "$log" ] && sed "s|^|  $(basename "$log"): |" "$log" | tail -n 30 >&2; done
  exit 1
}

start_compositor "$compositor" "$socket" "$work" || fail "the compositor did not start"
echo "$compositor_version, $xwayland_version, XWayland on $DISPLAY"

# Answers the desktop's question whether Quillpost may send input, each time it comes, two seconds
# after it appeared (a user reading it); counts the answers in $work/answers.
answer_questions() {
  local shell_eval=(gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell
                    --method org.gnome.Shell.Eval)
  # A click of the shell's own pointer at the window "Remote Desktop", $1 pixels left of its right
  # edge and $2 below its top.
  click() {
    "${shell_eval[@]}" "const C = imports.gi.Clutter, w = global.display.list_all_windows().find(w => w.get_title() === 'Remote Desktop');
      if (w) { const r = w.get_frame_rect(), t = imports.gi.GLib.get_monotonic_time();
        global.quillPointer.notify_absolute_motion(t, r.x + r.width - $1, r.y + $2);
        global.quillPointer.notify_button(t + 1000, C.BUTTON_PRIMARY, C.ButtonState.PRESSED);
        global.quillPointer.notify_button(t + 2000, C.BUTTON_PRIMARY, C.ButtonState.RELEASED); }" >/dev/null
  }
  while sleep 1; do
    case $compositor in
    gnome)
      # The shell's pointer is made before it is used: a new one misses its first click.
      "${shell_eval[@]}" "const C = imports.gi.Clutter;
        global.quillPointer ??= C.get_default_backend().get_default_seat().create_virtual_device(C.InputDeviceType.POINTER_DEVICE);
        global.display.list_all_windows().some(w => w.get_title() === 'Remote Desktop')" 2>/dev/null |
        grep -q "'true'" || continue
      sleep 2
      click 86 104 # the switch "Allow Remote Interaction"
      sleep 1
      click 48 22 # "Share"
      ;;
    kwin)
      local runner=(gdbus call --session --dest org.kde.KWin --object-path /WindowsRunner) match
      match=$("${runner[@]}" --method org.kde.krunner1.Match "Remote control requested" 2>/dev/null |
        grep -o "('[^']*', 'Remote control requested'" | cut -d"'" -f2) && [ -n "$match" ] || continue
      sleep 2
      "${runner[@]}" --method org.kde.krunner1.Run "$match" "" >/dev/null # brought to the front
      sleep 0.5
      if rm "$work/refuse" 2>/dev/null; then
        python3 "$here/kwin_input.py" 1 # Escape: "Cancel"
      else
        python3 "$here/kwin_input.py" 28 # Enter: "Share"
      fi
      ;;
    esac
    echo answered >>"$work/answers"
    sleep 2
  done
}
if [ "${QUILL_XWAYLAND:-}" = ei-portal ]; then
  answer_questions &
  pids+=($!)
fi
"$print_text" >"$work/expected.txt" || fail "no acceptance text"

# An X11 xterm titled $1 whose reader writes what arrives to $2 (arrival times to $3).
start_xterm() {
  xterm -u8 -T "$1" -e sh -c "stty -echo -icanon min 1; exec perl '$here/stamp.pl' '$2' '$3'" &
  xterm_pid=$!
  pids+=("$xterm_pid")
  xterm=$(wait_window "^$1\$" 15) || fail "the xterm did not appear"
  wait_active "$xterm" || fail "the xterm did not get the focus"
}

# The practice client as a native Wayland window titled $1, recording to $2.
start_wayland_window() {
  (unset DISPLAY; QT_QPA_PLATFORM=wayland exec "$practice" --title "$1" --record "$2") \
    >>"$work/wayland-window.log" 2>&1 &
  wayland_pid=$!
  pids+=("$wayland_pid")
  for _ in $(seq 100); do [ -e "$2" ] && break; sleep 0.1; done
  [ -e "$2" ] || fail "the Wayland window did not start"
  sleep 1.5  # until it is shown and has the focus
}

# Keys for Quillpost's own window, never through XTest (xdotool would use it for the focused window).
keys() { python3 "$here/send_keys.py" "$@"; }

# Starts the program as a user would (DISPLAY and WAYLAND_DISPLAY set), pastes file $1 into the
# editor and sets the pace to $2 (0.1 or 0.2 s). Leaves the main window's id in `main`.
start_program() {
  "$program" >>"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
  main=$(wait_window '^UO Quillpost v2' 20) || fail "the main window did not appear"
  sleep 0.5
  activate "$main"
  xclip -quiet -selection clipboard -i <"$1" >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.3
  keys "$main" Tab Tab Tab Tab ctrl+v   # Command1 -> ... -> Text1, paste
  sleep 0.5
  [ "$2" = 0.1 ] && keys "$main" ctrl+Tab Left   # Slider1 from 2 to 1
  sleep 0.3
}

# Waits up to 5 seconds for window $1 to be the active window.
wait_active() {
  for _ in $(seq 50); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
activate() {
  for _ in 1 2 3; do
    xdotool windowactivate "$1" >/dev/null 2>&1
    wait_active "$1" && { sleep 0.3; return 0; }
  done
  fail "window $1 could not be activated (active: $(xdotool getactivewindow 2>&1))"
}
size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# Waits up to $3 seconds for file $1 to hold as many bytes as file $2; then it must be equal.
expect_same() {
  local deadline=$((SECONDS + $3))
  while ((SECONDS < deadline)) && (($(size "$1") < $(size "$2"))); do sleep 0.2; done
  sleep 1  # nothing more may follow
  cmp -s "$2" "$1" && return 0
  echo "--- expected vs received ($1):" >&2
  diff <(od -c "$2") <(od -c "$1") | head -20 >&2
  return 1
}

characters=$(wc -m <"$work/expected.txt")

# --- 0. (KDE with libei) the user refuses: the transfer stops with its message, nothing typed -------
if [ "$compositor" = kwin ] && [ "${QUILL_XWAYLAND:-}" = ei-portal ]; then
  touch "$work/refuse"
  start_xterm "Ultima Online - XTerm" "$work/refused.txt" "$work/refused.times"
  start_program "$work/expected.txt" 0.1
  keys "$main" alt+t
  wait_window '^Hey, Dude!$' 40 >/dev/null || fail "refusing the keys brought no message"
  sleep 1
  [ -s "$work/refused.txt" ] && fail "the client got keys the user refused: $(head -c 40 "$work/refused.txt")"
  echo "refused: the transfer stopped with its message, the client got nothing"
  kill "$program_pid" "$xterm_pid" 2>/dev/null
  wait_exit "$program_pid" 5 >/dev/null
fi

# --- 1. xterm at 0.2 s (0.1 s in a root) -----------------------------------------------------------
start_xterm "Ultima Online - XTerm" "$work/xterm.txt" "$work/xterm.times"
start_program "$work/expected.txt" $pace
keys "$main" alt+t
# The first transfer may wait for the desktop's question to be answered: a quarter more than the pace
# takes, and a minute for the answer.
expect_same "$work/xterm.txt" "$work/expected.txt" \
  "$(awk -v n="$characters" -v pace="$pace" 'BEGIN { printf "%d", n * pace * 1.25 + 60 }')" ||
  fail "the xterm did not get exactly the acceptance text ($(wc -m <"$work/xterm.txt") characters)"
# Distance of every arrival from the pace; reads of several characters count 0 s for the later ones.
# In a root the first second of arrivals is left out: it may hold what waited for the answer.
read -r median p95 < <(awk -v pace=$pace -v skip=${QUILL_ROOT:+1} 'NR == 1 { first = $1 }
    NR > 1 && $1 - first >= skip { d = $1 - t - pace; print (d < 0 ? -d : d) * 1000; for (i = 1; i < $2; i++) print pace * 1000 }
    { t = $1 }' "$work/xterm.times" | sort -n |
  awk '{ v[NR] = $1 } END { printf "%.1f %.1f\n", v[int((NR + 1) / 2)], v[int(NR * 0.95 + 0.999)] }')
echo "FIGURES $compositor (${QUILL_XWAYLAND:-debian} XWayland): $characters characters exact into the xterm" \
  "at $pace s; distance of the key presses from $pace s: median $median ms, 95th percentile $p95 ms"
kill "$program_pid" "$xterm_pid" 2>/dev/null
wait_exit "$program_pid" 5 >/dev/null

# --- 2. the practice client, minimised, at 0.1 s ---------------------------------------------------
QT_QPA_PLATFORM=xcb "$practice" --record "$work/practice.txt" >"$work/practice.log" 2>&1 &
practice_pid=$!
pids+=("$practice_pid")
client=$(wait_window '^Ultima Online - ' 20) || fail "the practice client did not appear"
wait_active "$client" || fail "the practice client did not get the focus"
timeout 10 xdotool windowminimize --sync "$client" || fail "the practice client was not minimised"
start_program "$work/expected.txt" 0.1
keys "$main" alt+t
expect_same "$work/practice.txt" "$work/expected.txt" $((characters / 8 + 30)) ||
  fail "the minimised practice client did not get exactly the acceptance text"
xwininfo -id "$client" | grep -q IsViewable || fail "the practice client was not restored"
echo "the minimised practice client was restored and got the $characters characters exactly at 0.1 s"
kill "$program_pid" "$practice_pid" 2>/dev/null
wait_exit "$program_pid" 5 >/dev/null

# --- 2b. an SDL window (the open-source client's toolkit) on XWayland, at 0.1 s ---------------------
if [ -n "$sdl_receiver" ]; then
  sdl_driver=SDL_VIDEODRIVER
  [[ $sdl_receiver == *sdl3* ]] && sdl_driver=SDL_VIDEO_DRIVER
  env -u SDL_VIDEODRIVER -u SDL_VIDEO_DRIVER $sdl_driver=x11 "$sdl_receiver" --title "ClassicUO - 1.1.0.407" \
    --record "$work/sdl.txt" --keys "$work/sdl.keys" >"$work/sdl.log" 2>&1 &
  sdl_pid=$!
  pids+=("$sdl_pid")
  sdl_window=$(wait_window '^ClassicUO - 1\.1\.0\.407$' 20) || fail "the SDL window did not appear"
  wait_active "$sdl_window" || activate "$sdl_window"
  start_program "$work/expected.txt" 0.1
  keys "$main" alt+t
  expect_same "$work/sdl.txt" "$work/expected.txt" $((characters / 8 + 30)) ||
    fail "the SDL window did not get exactly the acceptance text ($(wc -m <"$work/sdl.txt") characters)"
  echo "the SDL window ($(head -n1 "$work/sdl.log"), $sdl_driver=x11) got the $characters characters exactly at 0.1 s"
  kill "$program_pid" "$sdl_pid" 2>/dev/null
  wait_exit "$program_pid" 5 >/dev/null
fi

# --- 3. a native Wayland window titled like a client is none --------------------------------------
start_wayland_window "Ultima Online - Wayland" "$work/wayland1.txt"
"$program" >>"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
wait_window '^Hey, Dude!$' 20 >/dev/null || fail "a native Wayland window was taken for a client"
kill "$program_pid" "$wayland_pid" 2>/dev/null
wait_exit "$program_pid" 5 >/dev/null
wait_exit "$wayland_pid" 5 >/dev/null
echo "a native Wayland window titled \"Ultima Online - Wayland\" was not taken for a client"

# --- 4. a native Wayland window takes the focus mid-transfer --------------------------------------
printf 'Pause und weiter: Grüße, Ελληνικά, 你好 📜 – bis hierher und Schluss.' >"$work/short.txt"
start_xterm "Ultima Online - XTerm" "$work/paused.txt" "$work/paused.times"
start_program "$work/short.txt" 0.1
keys "$main" alt+t
for _ in $(seq 100); do (($(size "$work/paused.txt") >= 10)) && break; sleep 0.1; done
start_wayland_window "Ultima Online - Wayland" "$work/wayland2.txt"
before=$(size "$work/paused.txt")
sleep 2
after=$(size "$work/paused.txt")
((before == after)) || fail "the transfer went on while a Wayland window had the focus ($before -> $after bytes)"
((after < $(size "$work/short.txt"))) || fail "the transfer ended before the Wayland window came"
# With libei the desktop routes the keys itself: the one on its way as the focus changed may reach the
# Wayland window (the client gets it all the same, typed again).
stray=0
[[ ${QUILL_XWAYLAND:-} == ei* ]] && stray=1
(($(wc -m <"$work/wayland2.txt") > stray)) && fail "the Wayland window got keys: $(cat "$work/wayland2.txt")"
kill "$wayland_pid"
wait_exit "$wayland_pid" 5 >/dev/null
activate "$xterm"
expect_same "$work/paused.txt" "$work/short.txt" 30 ||
  fail "after the pause the transfer did not go on at the same character"
echo "paused at $after bytes while a Wayland window had the focus, then went on at the same character"

# --- 5. the client closed mid-transfer -----------------------------------------------------------
activate "$main"
keys "$main" alt+t
for _ in $(seq 100); do (($(size "$work/paused.txt") > $(size "$work/short.txt") + 5)) && break; sleep 0.1; done
kill "$xterm_pid"
wait_window '^Hey, Dude!$' 10 >/dev/null || fail "closing the client mid-transfer brought no message"
kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
echo "closing the client mid-transfer stopped the transfer with its message"
kill "$program_pid"
wait_exit "$program_pid" 5 >/dev/null

# --- 6. the program's own window on Wayland (sway: wtype types into it, swaymsg lists it) --------
# wtype's keyboard brings a keymap of its own without modifier keys, which XWayland takes over: the
# receiver is the practice client, which follows keymap changes (xterm keeps its old one).
if [ "$compositor" = sway ]; then
  tree() { swaymsg -t get_tree 2>/dev/null; }
  wait_tree() { for _ in $(seq 200); do tree | grep -q "\"name\": \"$1" && return 0; sleep 0.1; done; return 1; }
  # No X server at all: the German message comes as a Wayland window.
  (unset DISPLAY; QT_QPA_PLATFORM=wayland exec "$program") >>"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
  wait_tree 'Hey, Dude!' || fail "without an X server the program said nothing"
  kill "$program_pid"
  wait_exit "$program_pid" 5 >/dev/null
  # A window asking for the focus only gets marked, as in sway's default setting: the user brings
  # the client to the front.
  swaymsg focus_on_window_activation urgent >/dev/null || fail "swaymsg failed"
  printf 'Über Wayland: Grüße!' >"$work/own.txt"
  QT_QPA_PLATFORM=xcb "$practice" --record "$work/own-received.txt" >>"$work/practice.log" 2>&1 &
  pids+=($!)
  wait_active "$(wait_window '^Ultima Online - ' 20)" || fail "the practice client did not get the focus"
  QT_QPA_PLATFORM=wayland "$program" >>"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
  wait_tree 'UO Quillpost v2' || fail "the program's Wayland window did not appear"
  sleep 1
  tree | grep -q '"name": "Hey, Dude!"' && fail "with its own window on Wayland the program found no client"
  # The first key of a new virtual keyboard only brings its keymap: a Shift goes first.
  wtype -k Shift_L -k Tab -k Tab -k Tab -k Tab -s 200 "$(cat "$work/own.txt")" -s 300 \
    -M ctrl -k Tab -m ctrl -k Left -s 300 -M alt t -m alt || fail "wtype failed"
  sleep 2
  [ -s "$work/own-received.txt" ] && fail "keys went to the client while the program's own window had the focus"
  swaymsg '[title="^Ultima Online - "] focus' >/dev/null || fail "swaymsg could not focus the client"
  expect_same "$work/own-received.txt" "$work/own.txt" 20 ||
    fail "with its own window on Wayland the program did not type the text exactly"
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
  echo "with its own window on Wayland the program waited for the client to be in front and typed exactly"
fi

[ -s "$work/answers" ] && echo "the desktop asked $(wc -l <"$work/answers") time(s) whether Quillpost may send input"
echo "PASS"
