#!/usr/bin/env bash
# Builds the program (release) and starts it; arguments go to the program,
# e.g. scripts/run.sh --demo
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset release -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
if [ ! -f src/main.cpp ]; then
  cmake --build --preset release -j2
  echo "The window is not built yet: the core library built, the program target (src/main.cpp) is missing." >&2
  exit 1
fi
cmake --build --preset release -j2 --target vantrel
exec build/release/vantrel "$@"
