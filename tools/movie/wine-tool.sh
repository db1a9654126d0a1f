#!/bin/sh
# Runs a Windows build tool under Wine: in a prefix of the build's own (Wine makes it on first use, in a
# few seconds), without a display (the tools draw into memory only), one run at a time.
# Usage: wine-tool.sh PREFIX PROGRAM.exe ARGUMENTS...
set -e
prefix=$1
shift
mkdir -p "$(dirname "$prefix")"
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
exec flock "$prefix.lock" wine "$@"
