#!/usr/bin/env bash
# Runs a cross-compiled test under the Wine loader of its flavour; ctest uses this as its emulator.
# Usage: wine-run.sh FLAVOUR PROGRAM.exe ARGUMENTS...
source "$(dirname "$0")/../scripts/lib.sh"
use_flavour "$1"
shift
exec "$TSLN_WINE" "$@"
