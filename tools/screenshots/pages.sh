#!/usr/bin/env bash
# Takes a screenshot of every page of the main window, as a user sees it with the skin of a fresh install:
# the real exe, installed as scripts/run installs it, started in a Wine virtual desktop on a headless X
# server, its pages opened by real clicks on the movie's buttons:
#   tools/screenshots/pages.sh        writes docs/screenshots/page-<name>.png for the six pages
# Builds what it needs into build/FLAVOUR/ (the flavour the host runs best) and uses a Wine prefix of
# its own there.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

ensure_deps
use_flavour "$(best_flavour)"
build_flavour "$FLAVOUR" Tessaline tsln tslnplay shipped_skins tspagesshot

export WINEPREFIX=$BUILD/pages-prefix
fresh_prefix "$WINEPREFIX"
export WINEDEBUG=-all

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
outdir=$ROOT/docs/screenshots
mkdir -p "$outdir"

install_program "$WINEPREFIX/drive_c/Program Files/Tessaline"
wine regsvr32 /s 'C:\Program Files\Tessaline\tslnplay.dll' </dev/null >/dev/null 2>&1
# A calm desktop behind the window, so that its outline shows.
wine reg add 'HKCU\Control Panel\Colors' /v Background /d "58 110 165" /f >/dev/null 2>&1
wineserver -w

# By page number.
names=(transparency visualstyles logon wallpaper skins about)
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -eu
    work=$1 outdir=$2 shot=$3
    shift 3
    names=("$@")
    wine explorer /desktop=pages,1024x768 "$shot" "$(printf "Z:%s" "$work" | tr / \\\\)" \
        "C:\\Program Files\\Tessaline\\Tessaline.exe" &
    helper=$!
    for page in "${!names[@]}"; do
        ready=$work/$page.ready
        for _ in $(seq 1200); do [ -s "$ready" ] && break; kill -0 $helper 2>/dev/null || break; sleep 0.1; done
        [ -s "$ready" ] || { echo "page $page did not show" >&2; wineserver -k || true; exit 1; }
        read -r x y w h < "$ready"
        m=28
        import -window root -crop "$((w + 2 * m))x$((h + 2 * m))+$((x - m))+$((y - m))" +repage \
            "$outdir/page-${names[$page]}.png"
        touch "$work/$page.done"
    done
    wait $helper || true
    wineserver -k || true' _ "$work" "$outdir" "$BUILD/tools/screenshots/tspagesshot.exe" "${names[@]}"
for name in "${names[@]}"; do log "wrote $outdir/page-$name.png"; done
