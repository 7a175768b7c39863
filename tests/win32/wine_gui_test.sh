#!/usr/bin/env bash
# Window tests of the Windows build under Wine on an Xvfb display of their own, or with
# QUILL_WINE_COMPOSITOR=mutter|kwin|sway on the XWayland server of that compositor, started headless.
#   wine_gui_test.sh PREFIX DISPLAY-NUMBER BIN-DIR OUT-DIR window
#   wine_gui_test.sh PREFIX DISPLAY-NUMBER BIN-DIR OUT-DIR window-dpi DPI
#   wine_gui_test.sh PREFIX DISPLAY-NUMBER BIN-DIR OUT-DIR typing us|de fast|timer PRACTICE.exe
#   wine_gui_test.sh PREFIX DISPLAY-NUMBER BIN-DIR OUT-DIR practice us|de PRACTICE.exe   (typing ... fast)
#   wine_gui_test.sh PREFIX DISPLAY-NUMBER BIN-DIR OUT-DIR sdl RECEIVER.exe TITLE acceptance|scan-codes|short [NEW-TITLE]
#   wine_gui_test.sh PREFIX DISPLAY-NUMBER BIN-DIR OUT-DIR run PROGRAM.exe [ARGS...]
# BIN-DIR holds Quillpost.exe and driver.exe; the typing tests type into the practice client
# (PRACTICE.exe --record FILE) as the game client. Every process started here is ended on exit, also
# on failure. Wine programs of one build run one at a time (the lock of wine-run.sh).
set -euo pipefail
prefix=$1 display=$2 bindir=$3 outdir=$4 mode=$5
shift 5
mkdir -p "$outdir"

export WINEDEBUG=-all DISPLAY=":$display"
. "$(dirname "$0")/../../cmake/wine-prefix.sh"
quill_take_wine_prefix "$prefix"
# A wineserver left from programs run without a display would not know this one.
wineserver -k 9>&- 2>/dev/null || true

pids=()
restore_dpi=false
cleanup() {
    status=$?
    if $restore_dpi; then
        wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 9>&- || true
    fi
    wineserver -k 9>&- 2>/dev/null || true
    if declare -F compositor_stop >/dev/null; then compositor_stop; fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    exit $status
}
trap cleanup EXIT

if [ -n "${QUILL_WINE_COMPOSITOR:-}" ]; then
    # On the XWayland server of a headless Wayland compositor (mutter, kwin, sway) instead of Xvfb.
    . "$(dirname "$0")/../wayland/compositor.sh"
    start_compositor "$QUILL_WINE_COMPOSITOR" "quill-wine-$display" "$outdir" 9>&- || exit 1
    echo "$compositor_version, XWayland on $DISPLAY"
    display=${DISPLAY#:}
elif [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; then
    if xdpyinfo -display ":$display" >/dev/null 2>&1; then
        echo "display :$display is in use by another X server" >&2
        exit 1
    fi
    rm -f "/tmp/.X$display-lock" "/tmp/.X11-unix/X$display"
fi
if [ -z "${QUILL_WINE_COMPOSITOR:-}" ]; then
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >"$outdir/xvfb.log" 2>&1 9>&- &
    pids+=($!)
    for _ in $(seq 100); do
        xdpyinfo -display ":$display" >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo -display ":$display" >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }
fi

# Wine takes the user's locale, and with it the Windows keyboard layout, from LC_ALL.
wine_locale=en_US.UTF-8
start() {  # start PROGRAM ARGS...: a Wine program in the background
    env LC_ALL=$wine_locale wine "$@" >>"$outdir/wine.log" 2>&1 9>&- &
    pids+=($!)
}
run() {  # run PROGRAM ARGS...: a Wine program in the foreground; fails the test when it fails
    env LC_ALL=$wine_locale wine "$@" 9>&-
}
quillpost_window_geometry() {  # x y width height of the main window with its frame
    local line id x y w h left=0 right=0 top=0 bottom=0 extents
    line=$(xwininfo -display ":$display" -root -tree | grep -F '"UO Quillpost v2' | head -1)
    id=$(awk '{print $1}' <<<"$line")
    read -r x y w h < <(sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) +\+(-?[0-9]+)\+(-?[0-9]+).*/\5 \6 \1 \2/' <<<"$line")
    extents=$(xprop -display ":$display" -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    [ -n "$extents" ] && IFS=, read -r left right top bottom <<<"$extents"
    echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}

# The X layout decides what real keys give; Wine's Windows layout follows the locale.
use_layout() {  # use_layout us|de
    case $1 in
        de) wine_locale=de_DE.UTF-8 ;;
        *) wine_locale=en_US.UTF-8 ;;
    esac
    setxkbmap -display ":$display" "$1"
    local active
    active=$(setxkbmap -display ":$display" -query | awk '/^layout:/ {print $2}')
    echo "X keyboard layout of :$display: $active"
    [ "$active" = "$1" ] || { echo "the layout did not change to $1" >&2; exit 1; }
}
wait_for_client() {  # wait_for_client TITLE-PREFIX [SECONDS]: until a window with that title exists (10 s)
    for _ in $(seq $((${2:-10} * 10))); do
        xwininfo -display ":$display" -root -tree | grep -qF "\"$1" && return 0
        sleep 0.1
    done
    echo "no window titled $1..." >&2
    return 1
}
# wait_until_active TITLE-PREFIX: until the window manager has made the window with that title the
# active one, as the user finds it when clicking in it. A compositor that activates a new window only a
# while after it appears would otherwise take the focus back from the client just activated through
# Wine. Activates it itself (as a click would) after 10 s.
wait_until_active() {
    local start=$SECONDS window active
    wait_for_client "$1" || return 1
    window=$(xwininfo -display ":$display" -root -tree | grep -F "\"$1" | awk '{print $1}' | head -1)
    for attempt in wait activate; do
        for _ in $(seq 100); do
            active=$(xprop -display ":$display" -root _NET_ACTIVE_WINDOW | sed -n 's/.*# //p')
            if [ -n "$active" ] && [ "$((active))" -eq "$((window))" ]; then
                echo "$1... active after $((SECONDS - start)) s"
                return 0
            fi
            sleep 0.1
        done
        echo "$1... not active after $((SECONDS - start)) s (active: ${active:-none}); activating it"
        xdotool windowactivate "$window" 2>/dev/null || true
    done
    return 1
}

case $mode in
window)
    # A German user: the delay label shows the decimal comma.
    wine_locale=de_DE.UTF-8
    setxkbmap -display ":$display" de
    # With a window manager, for the caption in the screenshot.
    openbox --sm-disable >"$outdir/openbox.log" 2>&1 9>&- &
    pids+=($!)
    for _ in $(seq 50); do
        xprop -display ":$display" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    start "$bindir/Quillpost.exe"
    run "$bindir/driver.exe" warning
    run "$bindir/driver.exe" window
    read -r x y w h < <(quillpost_window_geometry)
    import -display ":$display" -window root "$outdir/screen.png"
    convert "$outdir/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$outdir/windows-main-window.png"
    echo "screenshot of the main window: $outdir/windows-main-window.png (${w}x${h})"
    run "$bindir/driver.exe" about
    run "$bindir/driver.exe" files
    run "$bindir/driver.exe" keys
    ;;
window-dpi)
    # The same window on a screen of 144 DPI: every place and size scales with it.
    restore_dpi=true
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 9>&-
    wineserver -k 9>&- 2>/dev/null || true
    start "$bindir/Quillpost.exe"
    run "$bindir/driver.exe" warning
    run "$bindir/driver.exe" window
    run "$bindir/driver.exe" about
    run "$bindir/driver.exe" alt-x
    ;;
practice)
    set -- "$1" fast "$2"
    ;&
typing)
    # The practice client, under its own default title, records what the real program types; for
    # "timer" it waits minimised in the task bar.
    layout=$1 pace=$2 practice=$3
    use_layout "$layout"
    record="$outdir/record-$layout-$pace.txt"
    rm -f "$record"
    record=$(winepath -w "$record" 9>&-)
    start "$practice" --record "$record"
    wait_for_client 'Ultima Online - '
    if [ "$pace" = timer ]; then run "$bindir/driver.exe" minimise-client; fi
    start "$bindir/Quillpost.exe"
    [ -n "${QUILL_WINE_COMPOSITOR:-}" ] && wait_until_active 'UO Quillpost v2'
    run "$bindir/driver.exe" type "$record" "$layout" "$pace"
    if [ "$pace" = timer ]; then
        run "$bindir/driver.exe" clear-while-typing "$record"
        run "$bindir/driver.exe" close-with-about
    fi
    ;;
sdl)
    # An SDL receiver built for Windows (tests/sdl/sdl_receiver.cpp) as the open-source game client,
    # titled TITLE, US layout; renamed to NEW-TITLE after Quillpost started when given.
    receiver=$1 title=$2 kind=$3 new_title=${4:-}
    use_layout us
    rm -f "$outdir"/sdl-record.txt "$outdir"/sdl-keys.txt "$outdir"/sdl-title.txt
    record=$(winepath -w "$outdir/sdl-record.txt" 9>&-)
    keys=$(winepath -w "$outdir/sdl-keys.txt" 9>&-)
    retitle=$(winepath -w "$outdir/sdl-title.txt" 9>&-)
    start "$receiver" --title "$title" --record "$record" --keys "$keys" --retitle "$retitle"
    wait_for_client "$title" 30
    start "$bindir/Quillpost.exe"
    run "$bindir/driver.exe" type-sdl "$record" "$keys" "$title" "$kind" "$retitle" "$new_title"
    ;;
run)
    run "$@"
    ;;
*)
    echo "unknown mode $mode" >&2
    exit 2
    ;;
esac
