#!/usr/bin/env bash
# Builds the Debian package: a release build of the program alone, installed
# under /usr, packed by CPack with its library dependencies found by
# dpkg-shlibdeps. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
dir=build/package
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j2
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/vantrel_*.deb
