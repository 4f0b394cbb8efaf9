#!/usr/bin/env bash
# Loads a Windows library with the loader's 64-bit Windows build under Wine,
# through LoadModuleFromMemory (never the system's own loader), calls one of
# its exports with an integer or none and prints "FUNCTION(INTEGER) = RESULT"
# ("FUNCTION() = RESULT" without one).
# Usage: scripts/loadpe.sh [--at-preferred-base-taken] FILE.dll FUNCTION [INTEGER]
#   --at-preferred-base-taken  reserve the library's preferred base first, so
#                              the loader has to relocate it
# Exit 0 with that one line on standard output. Exit 1 with one line on
# standard error and nothing on standard output when the loader refuses the
# file (malformed, 32-bit, an import or the entry point failing) or it has no
# such export. Exit 2 when the command line is wrong or the tool cannot be
# built or run here.
# The tool is built on first use in build/loadpe, and runs in a Wine prefix
# there; VANTREL_LOADPE_BUILD names another build folder of
# tests/loader/windows (the main build's, say).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"

usage() {
  echo "usage: scripts/loadpe.sh [--at-preferred-base-taken] FILE.dll FUNCTION [INTEGER]" >&2
  exit 2
}
cannot() {
  echo "loadpe: $*" >&2
  exit 2
}

options=()
if [ "${1:-}" = --at-preferred-base-taken ]; then
  options+=("$1")
  shift
fi
[ $# -eq 2 ] || [ $# -eq 3 ] || usage
file=$1
shift
# Wine sees the host's root as drive Z:; a relative name stays relative.
case $file in /*) file=Z:$file ;; esac

build=${VANTREL_LOADPE_BUILD:-$root/build/loadpe}
command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
  cannot "no 64-bit mingw-w64 cross compiler (Debian package g++-mingw-w64-x86-64)"
command -v cmake >/dev/null && command -v ninja >/dev/null ||
  cannot "cmake and ninja are needed to build the tool"
if why=$(wine_missing win64); then cannot "$why"; fi

# Builds quietly; the log is shown only when the build fails.
mkdir -p "$build"
log=$build/loadpe-build.log
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root/tests/loader/windows" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTREL_SOURCE_DIR="$root" >"$log" 2>&1 || { cat "$log" >&2; cannot "configuring failed"; }
fi
cmake --build "$build" --target loadpe >"$log" 2>&1 || { cat "$log" >&2; cannot "building failed"; }

wine_setup win64 "$build/wineprefix-win64"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Into files: then nothing Wine leaves running holds on to this script's
# output, and Wine's own notices (such as making a new prefix) stay apart
# from the tool's lines.
"$WINE" "$build/loadpe.exe" "${options[@]}" "$file" "$@" >"$out/stdout" 2>"$out/stderr"
status=$?
case $status in
  0 | 1 | 2)
    cat "$out/stdout"
    grep -E '^(loadpe|usage):' "$out/stderr" >&2
    exit $status ;;
  *)
    cat "$out/stderr" >&2
    echo "loadpe: the tool ended with status $status under Wine" >&2
    exit 1 ;;
esac
