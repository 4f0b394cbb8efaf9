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
source scripts/private-display.sh
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_private_display 1920x1080
export VANTREL_TEST_DISPLAY="$DISPLAY"

ctest --preset "$preset" -j2 --timeout 300
