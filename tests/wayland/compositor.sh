# Sourced after tests/support/x_session.sh by the scripts that run programs in a headless Wayland
# compositor with XWayland.
#
# start_compositor NAME SOCKET DIR: starts mutter, kwin or sway headless on the Wayland socket
# SOCKET (sway picks its own name), its files (runtime directory, log) in DIR, and returns once its
# XWayland server answers. XWayland takes the first free display number.
# Exports WAYLAND_DISPLAY and XDG_RUNTIME_DIR for native Wayland programs, and DISPLAY and
# XAUTHORITY for X11 programs; compositor_version says what runs. Prints the compositor's log and
# returns 1 when it or its XWayland does not come up within 60 seconds.
# sway refuses to run as root: it runs as the unprivileged user quilltest (made here if missing).

compositor_user=quilltest

start_compositor() {
  local name=$1 socket=$2 dir=$3 log=$3/$1.log run=$3/run xwayland="" arg previous
  mkdir -p "$run" /tmp/.X11-unix
  chmod 700 "$run"
  chmod 1777 /tmp/.X11-unix 2>/dev/null
  unset DISPLAY XAUTHORITY WAYLAND_SOCKET
  export XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY=$socket
  case $name in
  mutter)
    compositor_version=$(mutter --version | head -n1)
    start_session_bus "$dir" || return 1
    mutter --headless --wayland --virtual-monitor 1280x1024 \
      --wayland-display "$socket" >"$log" 2>&1 &
    ;;
  kwin)
    # A copy without the file capabilities of the installed binary, which a sandbox may refuse.
    cp /usr/bin/kwin_wayland "$dir/kwin_wayland"
    compositor_version=$("$dir/kwin_wayland" --version 2>/dev/null | head -n1)
    start_session_bus "$dir" || return 1
    "$dir/kwin_wayland" --virtual --xwayland --socket "$socket" \
      --width 1280 --height 1024 >"$log" 2>&1 &
    ;;
  sway)
    id -u "$compositor_user" >/dev/null 2>&1 || useradd -r -m "$compositor_user" || return 1
    chown "$compositor_user" "$run" "$dir"
    compositor_version=$(sway --version | head -n1)
    # Windows asking to be activated (a pager's request through _NET_ACTIVE_WINDOW) get the focus.
    printf '%s\n' 'output HEADLESS-1 resolution 1280x1024' 'xwayland force' \
      'focus_on_window_activation focus' >"$dir/sway.conf"
    setpriv --reuid="$compositor_user" --regid="$compositor_user" --init-groups \
      env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$run" \
      WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
      sway -c "$dir/sway.conf" >"$log" 2>&1 &
    ;;
  *)
    echo "unknown compositor $name" >&2
    return 1
    ;;
  esac
  compositor_pid=$! compositor_run=$run compositor_dir=$dir
  pids+=("$compositor_pid")
  for _ in $(seq 600); do
    kill -0 "$compositor_pid" 2>/dev/null || break
    xwayland=$(compositor_xwayland "$run")
    # KWin 6 starts its XWayland only when the first X11 program connects to the X socket it holds.
    [ -z "$xwayland" ] && [ "$name" = kwin ] && [ -S "$run/$socket" ] && knock_x11 "$compositor_pid"
    if [ -n "$xwayland" ]; then
      previous=""
      while IFS= read -r -d '' arg; do
        [[ $arg =~ ^:[0-9]+$ ]] && DISPLAY=$arg
        [ "$previous" = -auth ] && XAUTHORITY=$arg
        previous=$arg
      done <"/proc/$xwayland/cmdline"
      if [ "$name" = sway ]; then
        # sway names its socket itself.
        WAYLAND_DISPLAY=$(cd "$run" && ls wayland-? 2>/dev/null | head -n1)
        SWAYSOCK=$(ls "$run"/sway-ipc.*.sock 2>/dev/null | head -n1)
        export SWAYSOCK
      fi
      if [ -n "${DISPLAY:-}" ] && [ -S "$run/$WAYLAND_DISPLAY" ]; then
        export DISPLAY
        [ -n "${XAUTHORITY:-}" ] && export XAUTHORITY
        # sway's XWayland admits its own user only; root runs the test programs.
        [ "$name" = sway ] && runuser -u "$compositor_user" -- env DISPLAY="$DISPLAY" \
          xhost +si:localuser:root >/dev/null 2>&1 || true
        if timeout 5 xdpyinfo >/dev/null 2>&1; then
          return 0
        fi
      fi
    fi
    sleep 0.1
  done
  echo "$name with XWayland did not start (DISPLAY=${DISPLAY:-none}):" >&2
  sed 's/^/  /' "$log" >&2
  return 1
}

# compositor_stop: ends the compositor and its XWayland; what has not ended after 5 seconds (a
# compositor waiting on its XWayland) is killed. Only processes still carrying the compositor's
# runtime directory are signalled: process ids are soon used again.
compositor_stop() {
  local pid
  [ -n "${compositor_run:-}" ] || return 0
  # The compositor first: its XWayland ends with it (sway would start a new one for the old).
  for pid in "${compositor_pid:-}" $(compositor_xwayland "$compositor_run"); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "XDG_RUNTIME_DIR=$compositor_run" || continue
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || continue 2
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  done
  # wlroots starts XWayland through a process of its own that waits for it: it would stay behind.
  pkill -KILL -u "$compositor_user" -f -- "-c $compositor_dir/sway.conf\$" 2>/dev/null || true
  return 0
}

# start_session_bus DIR: a D-Bus session bus of its own for the compositor and the programs.
start_session_bus() {
  dbus-daemon --session --nofork --print-address=3 3>"$1/bus" >"$1/dbus.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$1/bus" ] && break
    sleep 0.05
  done
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$1/bus")
  [ -n "$DBUS_SESSION_BUS_ADDRESS" ] || { echo "no D-Bus session bus" >&2; return 1; }
  export DBUS_SESSION_BUS_ADDRESS
}

# knock_x11 PID: connects once to each X display whose listening socket the process PID holds.
knock_x11() {
  local inodes
  inodes=$(find "/proc/$1/fd" -lname 'socket:*' -printf '%l\n' 2>/dev/null | tr -dc '0-9\n')
  [ -n "$inodes" ] || return 0
  awk 'NR == FNR { held[$1]; next } ($7 in held) && $8 ~ /\/tmp\/\.X11-unix\/X[0-9]+$/ {
         sub(/.*X/, ":", $8); print $8 }' <(echo "$inodes") /proc/net/unix | sort -u |
    while read -r display; do timeout 2 xdpyinfo -display "$display" >/dev/null 2>&1; done
  return 0
}

# compositor_xwayland RUNTIME-DIR: the Xwayland process started with that runtime directory, if any.
compositor_xwayland() {
  local pid
  for pid in $(pgrep -x Xwayland); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "XDG_RUNTIME_DIR=$1"; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}
