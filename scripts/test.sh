#!/usr/bin/env bash
# Builds everything and runs every test: installs missing Debian packages,
# configures the given preset (default: ci, warnings as errors), builds with
# two jobs, starts a private X server for the window tests and runs ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-ci}

scripts/install-deps.sh test
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2

# Window, tray and screenshot tests need a real X server; tests that only
# need widgets run on the offscreen platform and ignore it.
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 display_no <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
rm -f "$fifo"
export DISPLAY=":$display_no"
export VANTREL_TEST_DISPLAY="$DISPLAY"

ctest --preset "$preset" -j2 --timeout 300
