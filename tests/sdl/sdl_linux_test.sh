#!/usr/bin/env bash
# The real Linux program typing into an SDL window that takes keys as the open-source game client does
# (sdl_receiver: text from text-input events, Enter/Tab/Backspace from key events), under Xvfb.
#   nowm        no window manager, US layout, titled "ClassicUO - 1.1.0.407": the acceptance text at 0.1 s
#   openbox-de  openbox, German layout, titled "ClassicUO [dev] - 1.1.0.407", minimised before Quillpost
#               starts: restored, and the acceptance text at 0.1 s
#   retitle     openbox, US layout: the client is "ClassicUO - 1.1.0.407" when Quillpost starts, with two
#               look-alike SDL windows above it ("ClassicUO - Home — Mozilla Firefox", "ClassicUO.cs -
#               Editor"); it renames itself to "Hans - ClassicUO - 1.1.0.407" (a character logs in)
#               before the transfer: the acceptance text reaches it, the look-alikes get nothing. Then
#               the original client's family: "Ultima Online - Hans (Shard)" renamed to "Ultima Online -
#               Greta (Shard)" after Quillpost started gets a short text.
# Every receiver also logs its key events; a text-only check needs none.
# Usage: sdl_linux_test.sh CASE DISPLAY-NUMBER <quillpost> <print_acceptance_text> <sdl_receiver>
set -uo pipefail

case_name=$1 display_number=$2 program=$3 print_text=$4 receiver_program=$5
export LC_ALL=C.UTF-8
# The open-source client on X11, also where a Wayland session is around (README: Game clients).
export SDL_VIDEODRIVER=x11 SDL_VIDEO_DRIVER=x11
unset WAYLAND_DISPLAY
work=$(mktemp -d)
source "$(dirname "$0")/../support/x_session.sh"
extra_cleanup() { rm -rf "$work"; }

fail() {
  echo "FAIL ($case_name): $*" >&2
  for log in "$work"/*.log; do [ -s "$log" ] && sed "s|^|  $(basename "$log"): |" "$log" | tail -n 20 >&2; done
  exit 1
}
size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# start_receiver NAME TITLE [PATTERN]: an SDL receiver recording to $work/NAME.txt, keys to $work/NAME.keys,
# renaming itself to the first line of $work/NAME.title when that appears; leaves its window in `window`.
start_receiver() {
  "$receiver_program" --title "$2" --record "$work/$1.txt" --keys "$work/$1.keys" --retitle "$work/$1.title" \
    --ready "$work/$1.ready" >"$work/$1.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 150); do [ -e "$work/$1.ready" ] && break; sleep 0.1; done
  # xdotool matches the ICCCM title, which SDL writes as compound text where it is not Latin-1: a
  # title with other characters is found by PATTERN.
  window=$(wait_window "${3:-^$(sed 's/[][\.*^$()+?{}|]/\\&/g' <<<"$2")\$}" 15) || fail "the SDL window \"$2\" did not appear"
}

# retitle NAME TITLE: the receiver renames itself; returns once the X server shows the new title.
retitle() {
  printf '%s\n' "$2" >"$work/$1.title"
  wait_window "^$(sed 's/[][\.*^$()+?{}|]/\\&/g' <<<"$2")\$" 10 >/dev/null || fail "the receiver was not renamed to \"$2\""
}

# Starts the program, pastes file $1 into the editor and sets the pace to 0.1 s.
start_program() {
  "$program" >>"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
  main=$(wait_window '^UO Quillpost v2' 20) || fail "the main window did not appear"
  sleep 0.3
  xdotool search --name '^Hey, Dude!$' >/dev/null 2>&1 &&
    fail "the program found no client; windows: $(xdotool search --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
  if [ "$wm" = none ]; then xdotool windowfocus --sync "$main" >/dev/null 2>&1; else xdotool windowactivate --sync "$main" >/dev/null 2>&1; fi
  sleep 0.3
  xclip -quiet -selection clipboard -i <"$1" >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.3
  xdotool key Tab Tab Tab Tab ctrl+v   # Command1 -> ... -> Text1, paste
  sleep 0.5
  xdotool key ctrl+Tab Left            # Slider1 from 2 to 1: 0.1 s a character
  sleep 0.3
}

# expect_exact NAME FILE: waits until the receiver NAME holds as many bytes as FILE; then it must be
# FILE exactly, and (when $3 is "no-keys") no key event may have come with the text.
expect_exact() {
  local characters deadline
  characters=$(wc -m <"$2")
  deadline=$((SECONDS + characters / 8 + 30))
  while ((SECONDS < deadline)) && (($(size "$work/$1.txt") < $(size "$2"))); do sleep 0.2; done
  sleep 1  # nothing more may follow
  if ! cmp -s "$2" "$work/$1.txt"; then
    echo "--- expected vs received:" >&2
    diff <(od -c "$2") <(od -c "$work/$1.txt") | head -30 >&2
    fail "the SDL window got $(wc -m <"$work/$1.txt") characters, not exactly the $characters sent"
  fi
  echo "exact: $characters of $characters characters"
}

start_xvfb ":$display_number" 1280x1024x24 "$work/xvfb.log" || fail "Xvfb did not start"
wm=openbox
[ "$case_name" = nowm ] && wm=none
if [ "$wm" = openbox ]; then start_openbox "$work/openbox.log" || fail "openbox did not start"; fi
layout=us
[ "$case_name" = openbox-de ] && layout=de
setxkbmap "$layout" || fail "setxkbmap $layout failed"
"$print_text" >"$work/expected.txt" || fail "no acceptance text"
echo "window manager: $wm, layout: $(setxkbmap -query | awk '/^layout:/ {print $2}')"

case $case_name in
nowm)
  start_receiver client "ClassicUO - 1.1.0.407"
  head -n1 "$work/client.log"
  start_program "$work/expected.txt"
  xdotool key alt+t
  expect_exact client "$work/expected.txt"
  ;;
openbox-de)
  start_receiver client "ClassicUO [dev] - 1.1.0.407"
  head -n1 "$work/client.log"
  sleep 0.5
  timeout 10 xdotool windowminimize --sync "$window" || fail "the SDL window was not minimised"
  start_program "$work/expected.txt"
  xdotool key alt+t
  expect_exact client "$work/expected.txt"
  xwininfo -id "$window" | grep -q IsViewable || fail "the SDL window was not restored"
  echo "the minimised SDL window was restored"
  ;;
retitle)
  start_receiver client "ClassicUO - 1.1.0.407"
  head -n1 "$work/client.log"
  client=$window
  # Look-alikes above the client in the z-order: Quillpost would take the topmost client.
  start_receiver firefox "ClassicUO - Home — Mozilla Firefox" "^ClassicUO - Home .* Mozilla Firefox\$"
  start_receiver editor "ClassicUO.cs - Editor"
  start_program "$work/expected.txt"
  retitle client "Hans - ClassicUO - 1.1.0.407"
  xdotool key alt+t
  expect_exact client "$work/expected.txt"
  for name in firefox editor; do
    [ -s "$work/$name.txt" ] && fail "the look-alike \"$name\" got keys: $(head -c 200 "$work/$name.txt")"
  done
  echo "renamed \"ClassicUO - 1.1.0.407\" -> \"Hans - ClassicUO - 1.1.0.407\" after the start: exact;" \
    "the look-alike windows got nothing"
  kill "$program_pid"
  wait_exit "$program_pid" 5 >/dev/null
  xdotool windowkill "$client" >/dev/null 2>&1

  # The original client's family: a character change after Quillpost started.
  printf 'Buch für Greta: Grüße, „Zitat“ – ā ň œ 📜\n\tEnde.' >"$work/short.txt"
  start_receiver original "Ultima Online - Hans (Shard)"
  start_program "$work/short.txt"
  retitle original "Ultima Online - Greta (Shard)"
  xdotool key alt+t
  expect_exact original "$work/short.txt"
  echo "renamed \"Ultima Online - Hans (Shard)\" -> \"Ultima Online - Greta (Shard)\" after the start: exact"
  ;;
*)
  fail "unknown case"
  ;;
esac
grep -c '^down ' "$work/client.keys" 2>/dev/null | sed 's/^/key events in the client: /'
echo "PASS"
