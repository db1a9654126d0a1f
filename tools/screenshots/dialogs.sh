#!/usr/bin/env bash
# Takes the screenshots of the skinned message box and the change-settings dialog under Xvfb, in the
# look of a skin package made here like the shipped ones (colours, outline, screenshot, movie):
#   tools/screenshots/dialogs.sh        writes docs/screenshots/msgbox.png and change-settings.png
# Builds what it needs into build/FLAVOUR/ (the flavour the host runs best) and uses a Wine prefix of
# its own there.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/shoot.sh"

prepare_shots tsdialogshot tsln test_movie_sample
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/skins"

# The package: the program's own colours for a dark skin, a rounded outline, a screenshot and a movie.
python3 - "$work/skins/Graphite.csk" "$ROOT/res/pictures/103.jpg" "$BUILD/tests/movie/sample.swf" <<'PY'
import sys, zipfile
package, screenshot, movie = sys.argv[1:]
ini = "\r\n".join([
    "[INFO]", "For=TSLN", "Version=1.1;1.8", "Name=Graphite", "Author=Tessaline", "Date=2024-03-15",
    "[COLORS]", "NormalControl=4207662", "NormalFont=16052204",
    "[POSITION]", "Top=600", "Left=300", "Height=4500", "Width=7200",
    "[SHAPE]", "GPX=0,480,480,0", "GPY=0,0,300,300", ""])
with zipfile.ZipFile(package, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("skin.ini", ini)
    z.write(screenshot, "screenshot.jpg")
    z.write(movie, "Graphite.swf")
PY

# A calm desktop behind the dialogs, so that their rounded outline shows.
wine reg add 'HKCU\Control Panel\Colors' /v Background /d "58 110 165" /f >/dev/null 2>&1
wineserver -w

shoot() { # kind output
    local kind=$1 out=$2 ready="$work/$1.ready" done="$work/$1.done"
    shoot_window "$out" 800x600 "$ready" "$done" "$BUILD/tools/screenshots/tsdialogshot.exe" "$kind" \
        "$(winpath "$work/skins")" "$(winpath "$DIST/tsln.dll")" "$(winpath "$ready")" "$(winpath "$done")"
}

shoot msgbox "$ROOT/docs/screenshots/msgbox.png"
shoot change "$ROOT/docs/screenshots/change-settings.png"
