# Sourced by the scripts that run programs on an X server of their own.
# Every process started through here (or added to `pids`) is ended, newest first, when the script
# exits; a script with more to clean up defines `extra_cleanup`, which runs first (after a Wayland
# compositor's `compositor_stop`).

pids=()
x_session_cleanup() {
  local i
  if declare -F compositor_stop >/dev/null; then compositor_stop; fi
  if declare -F extra_cleanup >/dev/null; then extra_cleanup; fi
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
}
trap x_session_cleanup EXIT

# start_xvfb DISPLAY SIZE [LOG]: starts Xvfb on DISPLAY (":96") with one screen of SIZE
# ("1280x1024x24"), exports DISPLAY and returns once the server accepts connections; prints Xvfb's
# own words and returns 1 when it does not come up within 10 seconds.
# The server is started with -noreset: otherwise it resets whenever its last client leaves, and a
# client connecting in that moment (a window manager right after the readiness probe) is turned away.
start_xvfb() {
  local display=$1 size=$2 log=${3:-$(mktemp)} lock=/tmp/.X${1#:}-lock
  # A server of an earlier run still shutting down gets a moment; a live one is not ours.
  for _ in $(seq 100); do [ -e "$lock" ] || break; sleep 0.1; done
  if [ -e "$lock" ]; then
    echo "display $display is taken ($lock)" >&2
    return 1
  fi
  Xvfb "$display" -screen 0 "$size" -nolisten tcp -noreset >"$log" 2>&1 &
  xvfb_pid=$!
  pids+=("$xvfb_pid")
  export DISPLAY=$display
  for _ in $(seq 100); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb on $display did not start:" >&2
  cat "$log" >&2
  return 1
}

# start_openbox [LOG]: starts openbox on $DISPLAY and returns once it has announced itself as the
# window manager. A manager that ends before that is started again, up to three times; on a busy
# machine the announcement may take several seconds.
start_openbox() {
  local log=${1:-$(mktemp)} attempt
  for attempt in 1 2 3; do
    openbox >"$log" 2>&1 &
    openbox_pid=$!
    for _ in $(seq 200); do
      if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        pids+=("$openbox_pid")
        return 0
      fi
      kill -0 "$openbox_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$openbox_pid" 2>/dev/null
    wait "$openbox_pid" 2>/dev/null
    echo "openbox, attempt $attempt:" >&2
    sed 's/^/  /' "$log" >&2
  done
  return 1
}

# wait_window PATTERN [SECONDS]: waits up to SECONDS (default 10) for a window whose title matches
# PATTERN (xdotool's search: an extended regular expression, any case); prints its id. Where a window
# manager runs, only the windows it manages count: mutter 44 and later frame a window with a window of
# their own that carries the same title.
wait_window() {
  local deadline=$((SECONDS + ${2:-10})) id clients managed
  while ((SECONDS < deadline)); do
    managed=0
    clients=$(managed_windows) && managed=1
    for id in $(xdotool search --name "$1" 2>/dev/null); do
      if ((!managed)) || grep -qx "$id" <<<"$clients"; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}

# managed_windows: prints the (decimal) ids of the windows the running window manager manages; returns
# 1 when none runs. A manager that was killed leaves its list behind on the root window, but its
# check window is gone with it.
managed_windows() {
  local check id
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*') || return 1
  xprop -id "$check" >/dev/null 2>&1 || return 1
  for id in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*'); do printf '%d\n' "$id"; done
}

# wait_exit PID SECONDS: waits for process PID to end; returns its exit status, or 124 when it did
# not end in time.
wait_exit() {
  local deadline=$((SECONDS + $2))
  while ((SECONDS < deadline)); do
    if ! kill -0 "$1" 2>/dev/null; then wait "$1"; return $?; fi
    sleep 0.05
  done
  return 124
}
