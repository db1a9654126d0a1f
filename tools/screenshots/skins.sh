#!/usr/bin/env bash
# Screenshots of the skins Tessaline ships, each applied to a real window by the skin manager (skinshot)
# under Wine on a headless X server: docs/screenshots/skin-<skin>.png, the window only, transparent
# outside its outline. Builds first, installs the program with its SKINS folder into a Wine prefix of
# its own (build/shotprefix), and leaves the repository's other files alone.
#   tools/screenshots/skins.sh
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

out=$ROOT/docs/screenshots
program_unix() { printf '%s/drive_c/Program Files/Tessaline' "$WINEPREFIX"; }

# Ends skinshot (PID $1) once told to: it leaves by itself, unless a message box holds it.
finish() {
    touch "$2"
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# One skin: show it, wait for the window, take the screen, cut the window out.
shoot() {
    local name=$1 log done ready shot
    log=$(mktemp)
    done=$(mktemp -u)
    wine 'C:\Program Files\Tessaline\skinshot.exe' 'C:\Program Files\Tessaline\SKINS' "$name" "$(winpath "$done")" \
        >"$log" 2>&1 </dev/null &
    local pid=$!
    for _ in $(seq 300); do
        grep -q '^ready' "$log" && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    ready=$(grep '^ready' "$log" | tr -d '\r' || true)
    if [ -z "$ready" ]; then
        cat "$log" >&2
        finish "$pid" "$done"
        log "no window for $name"
        return 1
    fi
    read -r _ left top width height <<<"$ready"
    shot=$out/skin-$name.png
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$shot.tmp.png"
    finish "$pid" "$done"
    convert "$shot.tmp.png" \
        \( -size "${width}x${height}" xc:black -fill white +antialias -draw "polygon $("$ROOT/res/skins/make_art.sh" points "$ROOT/res/skins/$name/skin.ini")" \) \
        -alpha off -compose CopyOpacity -composite -strip -define png:exclude-chunks=date,time "PNG32:$shot"
    rm -f "$shot.tmp.png" "$log" "$done"
    log "saved $shot (${width}x${height})"
}

if [ "${1:-}" = "--under-x" ]; then
    wineserver -p
    wine regsvr32 /s 'C:\Program Files\Tessaline\tslnplay.dll' </dev/null >/dev/null 2>&1
    status=0
    for package in "$(program_unix)"/SKINS/*.csk; do
        shoot "$(basename "$package" .csk)" || status=1
    done
    wineserver -k
    exit $status
fi

ensure_deps
use_flavour "$(best_flavour)"
build_flavour "$FLAVOUR"
export WINEPREFIX=$BUILD/shotprefix
fresh_prefix "$WINEPREFIX"
install_program "$(program_unix)"
cp -f "$BUILD/tools/screenshots/skinshot.exe" "$(program_unix)/"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --under-x
