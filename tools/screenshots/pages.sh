#!/usr/bin/env bash
# Takes a screenshot of every page of the main window, as a user sees it with the skin of a fresh install:
# the real exe, installed as scripts/run installs it, started in a Wine virtual desktop on a headless X
# server, its pages opened by real clicks on the movie's buttons:
#   tools/screenshots/pages.sh        writes docs/screenshots/page-<name>.png for the six pages, and
#                                     page-wallpaper-Ember.png: the wallpapers page with the other skin
# The wallpapers page shows a wide picture in its list, previewed with "fit, with a border".
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
# A wide picture (drawn the same every time) in the wallpaper list, selected, fitted with a border.
convert -seed 7 -size 1280x560 plasma:steelblue-orange -blur 0x3 "$WINEPREFIX/drive_c/Dunes at dusk.jpg"
product='HKCU\Software\Quillfen\Tessaline'
wine reg add "$product\Wallpapers\List" /v 1 /d 'C:\Dunes at dusk.jpg*Dunes at dusk**0' /f >/dev/null 2>&1
wine reg add "$product\Wallpapers" /v Current /d 'C:\Dunes at dusk.jpg' /f >/dev/null 2>&1
wine reg add "$product\Wallpapers" /v Fit /d fit /f >/dev/null 2>&1
wineserver -w

# Shoots the pages listed (by number, all when empty) into page-<names[N]><suffix>.png.
shoot_pages() {
    local pages=$1 suffix=$2
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -eu
    work=$1 outdir=$2 shot=$3 pages=$4 suffix=$5
    shift 5
    names=("$@")
    rm -f "$work"/*.ready "$work"/*.done
    wine explorer /desktop=pages,1024x768 "$shot" "$(printf "Z:%s" "$work" | tr / \\\\)" \
        "C:\\Program Files\\Tessaline\\Tessaline.exe" $pages &
    helper=$!
    for page in "${!names[@]}"; do
        [ -z "$pages" ] || [[ $pages == *$page* ]] || continue
        ready=$work/$page.ready
        for _ in $(seq 1200); do [ -s "$ready" ] && break; kill -0 $helper 2>/dev/null || break; sleep 0.1; done
        [ -s "$ready" ] || { echo "page $page did not show" >&2; wineserver -k || true; exit 1; }
        read -r x y w h < "$ready"
        m=28
        import -window root -crop "$((w + 2 * m))x$((h + 2 * m))+$((x - m))+$((y - m))" +repage \
            "$outdir/page-${names[$page]}$suffix.png"
        touch "$work/$page.done"
    done
    wait $helper || true
    wineserver -k || true' _ "$work" "$outdir" "$BUILD/tools/screenshots/tspagesshot.exe" "$pages" "$suffix" \
        "${names[@]}"
}

# By page number.
names=(transparency visualstyles logon wallpaper skins about)
shoot_pages "" ""
# The wallpapers page again, with the other shipped skin.
wine reg add "$product\\Settings" /v Skin /d Ember /f >/dev/null 2>&1
wineserver -w
shoot_pages 3 -Ember
for name in "${names[@]}" wallpaper-Ember; do log "wrote $outdir/page-$name.png"; done
