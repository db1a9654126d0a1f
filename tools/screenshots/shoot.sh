# Sourced by the screenshot scripts (after scripts/lib.sh).

# prepare_shots TARGET...: builds the targets of the flavour the host runs best into $BUILD and makes the
# screenshots' own Wine prefix.
prepare_shots() {
    ensure_deps
    use_flavour "$(best_flavour)"
    build_flavour "$FLAVOUR" "$@"
    export WINEPREFIX=$BUILD/shots-prefix
    fresh_prefix "$WINEPREFIX"
    export WINEDEBUG=-all
    mkdir -p "$ROOT/docs/screenshots"
}

# shoot_window OUT WxH READY DONE EXE [ARGS...]: runs EXE in a Wine desktop of that size under Xvfb, waits
# until it writes "left top width height" to READY, saves that part of the screen (with a margin) as OUT,
# then creates DONE so that the program closes its window and ends.
shoot_window() {
    local out=$1 size=$2 ready=$3 done=$4
    shift 4
    rm -f "$ready" "$done"
    xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        set -eu
        out=$1 size=$2 ready=$3 done=$4
        shift 4
        wine explorer /desktop=shots,"$size" "$@" &
        for _ in $(seq 2400); do [ -s "$ready" ] && break; sleep 0.05; done
        [ -s "$ready" ] || { echo "the window did not show" >&2; exit 1; }
        read -r x y w h < "$ready"
        m=28
        import -window root -crop "$((w + 2 * m))x$((h + 2 * m))+$((x - m))+$((y - m))" +repage "$out"
        touch "$done"
        wait
        wineserver -k || true' _ "$out" "$size" "$ready" "$done" "$@"
    log "wrote $out"
}
