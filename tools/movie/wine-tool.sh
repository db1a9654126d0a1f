#!/usr/bin/env bash
# Runs a Windows build tool under Wine: in a prefix of the build's own (Wine makes it on first use, in a
# few seconds), without a display (the tools draw into memory only), one run at a time.
# Usage: wine-tool.sh FLAVOUR PREFIX PROGRAM.exe ARGUMENTS...   (FLAVOUR: the one the tool was built for)
set -e
source "$(dirname "$0")/../../scripts/lib.sh"
use_flavour "$1"
prefix=$2
shift 2
mkdir -p "$(dirname "$prefix")"
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="$TEST_DLLOVERRIDES" # a crash ends the build step
exec flock "$prefix.lock" "$TSLN_WINE" "$@"
