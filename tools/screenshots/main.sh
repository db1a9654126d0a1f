#!/usr/bin/env bash
# Takes a screenshot of the main window with each skin under Xvfb:
#   tools/screenshots/main.sh        writes docs/screenshots/main-<skin>.png
# The skins are the shipped packages in build/dist/SKINS; without any, the tests' own skin. Builds what it
# needs into build/FLAVOUR/ (the flavour the host runs best) and uses a Wine prefix of its own
# there.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/shoot.sh"

prepare_shots tsmainshot tsln tslnplay test_main_skin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/skins"
shopt -s nullglob
packages=("$DIST"/SKINS/*.csk)
[ ${#packages[@]} -gt 0 ] || packages=("$BUILD/tests/mainwin/Test_Main.csk")
cp "${packages[@]}" "$work/skins/"

# A calm desktop behind the window, so that its outline shows.
wine reg add 'HKCU\Control Panel\Colors' /v Background /d "58 110 165" /f >/dev/null 2>&1
wine regsvr32 /s "$(winpath "$DIST/tslnplay.dll")" >/dev/null 2>&1
wineserver -w

for package in "$work"/skins/*.csk; do
    skin=$(basename "$package" .csk)
    out="$ROOT/docs/screenshots/main-$skin.png"
    ready="$work/$skin.ready" done="$work/$skin.done"
    shoot_window "$out" 1024x768 "$ready" "$done" "$BUILD/tools/screenshots/tsmainshot.exe" "$(winpath "$work/skins")" \
        "$(winpath "$DIST/tsln.dll")" "$skin" "$(winpath "$ready")" "$(winpath "$done")"
done
