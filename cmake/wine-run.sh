#!/bin/sh
# Runs a cross-compiled test under Wine; ctest uses this as its emulator.
exec wine "$@"
