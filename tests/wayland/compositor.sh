# Sourced after tests/support/x_session.sh by the scripts that run programs in a headless Wayland
# compositor with XWayland.
#
# start_compositor NAME SOCKET DIR: starts mutter, gnome (GNOME Shell), kwin or sway headless on the
# Wayland socket SOCKET (sway picks its own name), its files (runtime directory, log) in DIR, and
# returns once its XWayland server answers. XWayland takes the first free display number.
# With QUILL_ROOT set, the compositor, its XWayland, its buses and the desktop portals run in that
# Debian root (DIR must lie inside it), with an empty /run of their own (no logind, no system bus:
# the session bus stands in for it); the programs under test stay outside and reach them through the
# sockets (X servers listen on abstract sockets, the Wayland socket lies in DIR). QUILL_XWAYLAND=ei
# replaces the root's XWayland by the libei build in /opt/xwayland-ei, which hands XTest input to the
# compositor: GNOME and KDE get it with the desktop portal (their question), sway without.
# Exports WAYLAND_DISPLAY and XDG_RUNTIME_DIR for native Wayland programs, and DISPLAY and
# XAUTHORITY for X11 programs; compositor_version and xwayland_version say what runs. Prints the compositor's log and
# returns 1 when it or its XWayland does not come up within 60 seconds.
# sway refuses to run as root: it runs as the unprivileged user quilltest (made here if missing).

compositor_user=quilltest
compositor_root=${QUILL_ROOT:-}

# in_compositor_root COMMAND...: runs COMMAND in QUILL_ROOT with just the environment in `root_env`
# (without a root: here, as it is); replaces the shell, so that the process id stays the command's.
in_compositor_root() {
  [ -n "$compositor_root" ] || exec "$@"
  local xwayland=-
  case ${QUILL_XWAYLAND:-debian} in
  ei) xwayland=/opt/xwayland-ei/bin/Xwayland ;;
  ei-portal) xwayland=/opt/xwayland-ei/bin/Xwayland-portal ;;
  esac
  exec unshare --mount --propagation private -- sh -c '
    root=$1 xwayland=$2
    shift 2
    mount -t tmpfs -o mode=755 run "$root/run" || exit 1
    [ "$xwayland" = - ] || mount --bind "$root$xwayland" "$root/usr/bin/Xwayland" || exit 1
    exec chroot "$root" env -i "$@"' sh "$compositor_root" "$xwayland" "${root_env[@]}" "$@"
}
# The path inside the root of a path of DIR.
in_root_path() { echo "${1#"$compositor_root"}"; }

start_compositor() {
  local name=$1 socket=$2 dir=$3 log=$3/$1.log run=$3/run xwayland="" arg previous desktop
  mkdir -p "$run" /tmp/.X11-unix
  chmod 700 "$run"
  chmod 1777 /tmp/.X11-unix 2>/dev/null
  unset DISPLAY XAUTHORITY WAYLAND_SOCKET
  export XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY=$socket
  case $name in gnome | mutter) desktop=GNOME ;; kwin) desktop=KDE ;; *) desktop=sway ;; esac
  root_env=(PATH="$PATH" LANG=C.UTF-8 HOME="$(in_root_path "$dir")" XDG_RUNTIME_DIR="$(in_root_path "$run")"
            XDG_CURRENT_DESKTOP=$desktop XDG_SESSION_TYPE=wayland)
  # KWin lets the tests press keys in its own windows (tests/wayland/kwin_input.py).
  [ "$name" = kwin ] && root_env+=(XDG_MENU_PREFIX=plasma- KWIN_WAYLAND_NO_PERMISSION_CHECKS=1)
  [ "$name" = sway ] || start_session_bus "$dir" || return 1
  case $name in
  mutter)
    compositor_version=$(in_compositor_root mutter --version | head -n1)
    (in_compositor_root mutter --headless --wayland --virtual-monitor 1280x1024 \
      --wayland-display "$socket") >"$log" 2>&1 &
    ;;
  gnome)
    # --unsafe-mode lets the tests answer the desktop's questions through org.gnome.Shell.Eval.
    compositor_version=$(in_compositor_root gnome-shell --version 2>/dev/null)
    (in_compositor_root gnome-shell --headless --wayland --virtual-monitor 1280x1024 --unsafe-mode \
      --wayland-display "$socket") >"$log" 2>&1 &
    ;;
  kwin)
    # A copy without the file capabilities of the installed binary, which a sandbox may refuse. The
    # desktop portal's screen-cast side, which its remote control needs, wants PipeWire.
    cp "$compositor_root/usr/bin/kwin_wayland" "$dir/kwin_wayland"
    compositor_version=$( (in_compositor_root "$(in_root_path "$dir")/kwin_wayland" --version) 2>/dev/null | head -n1)
    if [ -n "$compositor_root" ]; then
      (in_compositor_root pipewire) >"$dir/pipewire.log" 2>&1 &
      pids+=($!)
      (in_compositor_root wireplumber) >"$dir/wireplumber.log" 2>&1 &
      pids+=($!)
    fi
    (in_compositor_root "$(in_root_path "$dir")/kwin_wayland" --virtual --xwayland --socket "$socket" \
      --width 1280 --height 1024) >"$log" 2>&1 &
    ;;
  sway)
    if [ -n "$compositor_root" ]; then
      chroot "$compositor_root" id -u "$compositor_user" >/dev/null 2>&1 ||
        chroot "$compositor_root" useradd -r -m "$compositor_user" || return 1
      chown "$(chroot "$compositor_root" id -u "$compositor_user")" "$run" "$dir"
    else
      id -u "$compositor_user" >/dev/null 2>&1 || useradd -r -m "$compositor_user" || return 1
      chown "$compositor_user" "$run" "$dir"
    fi
    compositor_version=$(in_compositor_root sway --version | head -n1)
    # Windows asking to be activated (a pager's request through _NET_ACTIVE_WINDOW) get the focus.
    printf '%s\n' 'output HEADLESS-1 resolution 1280x1024' 'xwayland force' \
      'focus_on_window_activation focus' >"$dir/sway.conf"
    root_env+=(WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman)
    (in_compositor_root env -i "${root_env[@]}" setpriv --reuid="$compositor_user" --regid="$compositor_user" \
      --init-groups sway -c "$(in_root_path "$dir")/sway.conf") >"$log" 2>&1 &
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
    xwayland=$(compositor_xwayland "$(in_root_path "$run")")
    if [ -z "$xwayland" ] && [ "$name" = kwin ]; then
      # KWin 6 starts its XWayland for the first X client, on the display whose lock file it holds.
      for arg in "$compositor_root"/tmp/.X*-lock; do
        [ "$(tr -d ' ' 2>/dev/null <"$arg")" = "$compositor_pid" ] || continue
        arg=${arg##*/.X}
        DISPLAY=:${arg%-lock} timeout 5 xdpyinfo >/dev/null 2>&1
      done
    fi
    if [ -n "$xwayland" ]; then
      previous=""
      while IFS= read -r -d '' arg; do
        [[ $arg =~ ^:[0-9]+$ ]] && DISPLAY=$arg
        [ "$previous" = -auth ] && XAUTHORITY=$compositor_root$arg
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
        [ "$name" = sway ] && (root_env+=(DISPLAY="$DISPLAY")
          in_compositor_root setpriv --reuid="$compositor_user" --regid="$compositor_user" --init-groups \
            xhost +si:localuser:root) >/dev/null 2>&1 || true
        if timeout 5 xdpyinfo >/dev/null 2>&1; then
          # D-Bus starts the desktop portals with the session's sockets.
          xwayland_version=$(in_compositor_root "/proc/$xwayland/exe" -version 2>&1 | grep -m1 -i 'version')
          [[ ${QUILL_XWAYLAND:-} == ei* ]] && xwayland_version+=" with libei"
          # GNOME Shell starts in the overview, once its start-up is over.
          [ "$name" = gnome ] && for _ in $(seq 300); do
            gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval \
              'Main.layoutManager._startingUp ? "starting" : (Main.overview.hide(), "up")' 2>/dev/null | grep -q up && break
            sleep 0.1
          done
          if [ -n "$compositor_root" ] && [ "$name" != sway ]; then
            (in_compositor_root dbus-update-activation-environment DISPLAY="$DISPLAY" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" \
              XAUTHORITY="$(in_root_path "${XAUTHORITY:-}")" "${root_env[@]}") || return 1
          fi
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
  local run
  run=$(in_root_path "$compositor_run")
  for pid in "${compositor_pid:-}" $(compositor_xwayland "$run"); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "XDG_RUNTIME_DIR=$run" || continue
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || continue 2
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  done
  # wlroots starts XWayland through a process of its own that waits for it: it would stay behind.
  pkill -KILL -f -- "-c $(in_root_path "$compositor_dir")/sway.conf\$" 2>/dev/null || true
  return 0
}

# start_session_bus DIR: a D-Bus session bus of its own for the compositor and the programs; in the
# root it also stands in for the system bus.
start_session_bus() {
  local socket
  socket=$(in_root_path "$1")/bus-socket
  (in_compositor_root dbus-daemon --session --nofork --address="unix:path=$socket") >"$1/dbus.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [ -S "$1/bus-socket" ] && break
    sleep 0.05
  done
  [ -S "$1/bus-socket" ] || { echo "no D-Bus session bus" >&2; return 1; }
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$1/bus-socket
  root_env+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$socket" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$socket")
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
