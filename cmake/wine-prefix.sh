# Sourced by the scripts that run programs of the cross build under Wine.
# quill_take_wine_prefix PREFIX: uses the build's own Wine prefix, created on first use (wineboot
# takes a few seconds once), and holds its lock on file descriptor 9: Wine programs of one build run
# one at a time, because they share the prefix and its wineserver.
quill_take_wine_prefix() {
    export WINEPREFIX=$1
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
    mkdir -p "$(dirname "$1")"
    exec 9>"$1.lock"
    flock 9
    if [ ! -f "$1/system.reg" ]; then
        wineboot -i >"$1.boot.log" 2>&1 9>&-
        wineserver -w 9>&-
    fi
}
