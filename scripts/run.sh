#!/usr/bin/env bash
# Builds the program (release) and starts it; arguments go to the program,
# e.g. scripts/run.sh --demo
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset release -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
cmake --build --preset release -j2 --target vantrel
exec build/release/vantrel "$@"
