#!/usr/bin/env bash
# Figures of the Linux program under Xvfb with openbox and one client window:
#   - time from the process start to the main window being shown (mapped), over several starts
#   - resident memory once the window is up and idle
#   - CPU time used while idle for 10 seconds (no busy loop: should be close to zero)
# Usage: bench/qt/startup.sh [path/to/quillpost] [starts]
set -uo pipefail

program=${1:-build/linux/src/app/qt/quillpost}
starts=${2:-5}
export LC_ALL=C.UTF-8
source "$(dirname "$0")/../../tests/support/x_session.sh"
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }

start_xvfb ":${QUILL_QT_BENCH_DISPLAY:-95}" 1280x1024x24 || exit 1
start_openbox || exit 1
xterm -T "Ultima Online - Bench" -e sh -c 'stty -echo; exec cat >/dev/null' &
pids+=($!)
# The client must be known to the window manager before the program's scan lists it.
for _ in $(seq 100); do
  client=$(xdotool search --name '^Ultima Online - Bench$' 2>/dev/null | head -n1)
  [ -n "$client" ] && xprop -root _NET_CLIENT_LIST | grep -qw "$(printf '0x%x' "$client")" && break
  sleep 0.1
done
sleep 0.5

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

times=()
for run in $(seq "$starts"); do
  started=$(date +%s%N)
  "$program" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  deadline=$((SECONDS + 20))
  until xdotool search --onlyvisible --name '^UO Quillpost v2' >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended early" >&2; exit 1; }
    ((SECONDS < deadline)) || { echo "the main window did not show within 20 s" >&2; exit 1; }
    sleep 0.005
  done
  shown=$(date +%s%N)
  times+=($(((shown - started) / 1000000)))
  if ((run < starts)); then
    kill "$pid"
    wait "$pid" 2>/dev/null
    sleep 0.3
  fi
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
printf 'start to main window shown: median %d ms, fastest %d ms, slowest %d ms (%d starts: %s ms)\n' \
  "$(sed -n "$(((starts + 1) / 2))p" <<<"$sorted")" "$(head -n1 <<<"$sorted")" "$(tail -n1 <<<"$sorted")" \
  "$starts" "${times[*]}"

sleep 2
rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
pss=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo "?")
printf 'resident memory when idle: %d KiB RSS (%s KiB proportional share)\n' "$rss" "$pss"

before=$(cpu_ticks "$pid")
sleep 10
after=$(cpu_ticks "$pid")
awk -v t=$((after - before)) -v hz="$ticks_per_second" \
  'BEGIN { printf "CPU used while idle for 10 s: %d ms (%.2f %% of one core)\n", t * 1000 / hz, t * 100 / hz / 10 }'
