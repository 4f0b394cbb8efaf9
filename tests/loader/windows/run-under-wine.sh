#!/usr/bin/env bash
# Runs a Windows test program under Wine in a private prefix and stops that
# prefix's Wine server afterwards.
# Usage: run-under-wine.sh PREFIX PROGRAM [ARGS...]
set -uo pipefail
export WINEPREFIX=$1
shift
# Quiet, no display, and no prompts to fetch the .NET or HTML engines.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
unset DISPLAY WAYLAND_DISPLAY
# Wine's 32-bit side needs a kernel that runs 32-bit programs; without one
# the test cannot run here, which is a skip (77), not a failure.
if ! wine --version >/dev/null 2>&1; then
    echo "wine cannot start: this kernel runs no 32-bit programs (ia32 emulation off?)" >&2
    exit 77
fi
mkdir -p "$WINEPREFIX"
wine "$@"
status=$?
wineserver -k 2>/dev/null
exit $status
