#!/usr/bin/env bash
# Takes the screenshot of Tessaline started at log-on ("-s") sitting in the tray: the real exe, installed
# as scripts/run installs it, inside a Wine virtual desktop on a headless X server:
#   tools/screenshots/tray.sh        writes docs/screenshots/tray.png (the taskbar's right end, enlarged)
# The taskbar is translucent by then; Xvfb has no compositor, so it is drawn without its alpha.
# Builds what it needs into build/FLAVOUR/ (the flavour the host runs best) and uses a Wine prefix of
# its own there.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

ensure_deps
use_flavour "$(best_flavour)"
build_flavour "$FLAVOUR" Tessaline tsln tslnplay tstrayshot

export WINEPREFIX=$BUILD/tray-prefix
fresh_prefix "$WINEPREFIX"
export WINEDEBUG=-all

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$ROOT/docs/screenshots/tray.png
mkdir -p "$(dirname "$out")"

target="$WINEPREFIX/drive_c/Program Files/Tessaline"
mkdir -p "$target"
cp -f "$DIST"/Tessaline.exe "$DIST"/tsln.dll "$DIST"/tslnplay.dll "$target/"
wine regsvr32 /s 'C:\Program Files\Tessaline\tslnplay.dll' </dev/null >/dev/null 2>&1
# A calm desktop, so that the taskbar stands out.
wine reg add 'HKCU\Control Panel\Colors' /v Background /d "58 110 165" /f >/dev/null 2>&1
wineserver -w

ready="$work/ready"
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    set -eu
    # The desktop lives as long as the program runs: started apart, and watched through the ready file.
    wine explorer /desktop=shell,800x600 "$1" "$2" "C:\\Program Files\\Tessaline\\Tessaline.exe" -s &
    for _ in $(seq 900); do [ -s "$3" ] && break; sleep 0.1; done
    [ -s "$3" ] || { echo "the icon did not show in the tray" >&2; wineserver -k || true; exit 1; }
    read -r x y w h < "$3"
    # The right end of the taskbar, where the tray is, with a strip of the desktop above it, twice as
    # large so that the icon can be seen.
    cut=240 above=40
    import -window root -crop "${cut}x$((h + above))+$((x + w - cut))+$((y - above))" +repage png:- |
        convert png:- -scale 200% "$4"
    wineserver -k || true' _ "$BUILD/tools/screenshots/tstrayshot.exe" "$(winpath "$ready")" "$ready" "$out"
log "wrote $out"
