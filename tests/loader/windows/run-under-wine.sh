#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix of one architecture
# and stops that prefix's Wine server afterwards. Where Wine of that
# architecture cannot run, the test is skipped (skip.sh).
# Usage: run-under-wine.sh win32|win64 PREFIX PROGRAM [ARGS...]
set -uo pipefail
here=$(dirname "$0")
source "$here/../../../scripts/wine-env.sh"
arch=$1 prefix=$2
shift 2
if why=$(wine_missing "$arch"); then exec "$here/skip.sh" "$arch" "$why"; fi
wine_setup "$arch" "$prefix"
"$WINE" "$@"
status=$?
wineserver -k 2>/dev/null
exit $status
