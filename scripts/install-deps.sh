#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing,
# and says nothing when nothing is missing.
# Usage: scripts/install-deps.sh [run|test|fuzz|check|windows32]   (default: test, which includes run)
#   windows32  also the 32-bit side of Wine, for the 32-bit Windows loader test;
#              only for machines whose kernel runs 32-bit programs, since it adds
#              the i386 architecture, whose index can lag the amd64 one.
# A mirror in the middle of a sync can fail an index: the update is tried twice,
# and the install goes on as long as every wanted package can still be had.
set -euo pipefail

BUILD=(cmake ninja-build g++ pkg-config make dpkg-dev file)
LIBS=(qt6-base-dev qt6-multimedia-dev libqt6svg6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
      gstreamer1.0-libav qt6-qpa-plugins libcurl4-openssl-dev duktape-dev libpcre2-dev libpng-dev
      libjpeg-dev zlib1g-dev libcpp-httplib-dev libxcb1-dev libxcb-xinput-dev libx11-dev libsqlite3-dev
      fonts-wqy-microhei ca-certificates)
TEST=(libgtest-dev libgmock-dev libbenchmark-dev libssl-dev openssl nlohmann-json3-dev
      curl gdb xvfb xauth x11-utils xdotool imagemagick trayer openbox xclip desktop-file-utils
      appstream python3 python3-xlrd sqlite3 dbus python3-dbus python3-gi
      g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 libreoffice-calc-nogui)
FUZZ=(clang-14 libclang-rt-14-dev libfuzzer-14-dev)
# The leak check and the GUI monkey (scripts/leak-check.sh, scripts/monkey.sh).
CHECK=(valgrind xdotool xvfb xauth)
WINDOWS32=(wine32:i386)

mode=${1:-test}
want=("${BUILD[@]}" "${LIBS[@]}")
case "$mode" in
  run) ;;
  test) want+=("${TEST[@]}") ;;
  fuzz) want+=("${TEST[@]}" "${FUZZ[@]}") ;;
  check) want+=("${CHECK[@]}") ;;
  windows32) want+=("${TEST[@]}" "${WINDOWS32[@]}") ;;
  *) echo "usage: $0 [run|test|fuzz|check|windows32]" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
if [ "$mode" = windows32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

# The indexes apt-get could not fetch, one URL a line; empty when all came.
update_log=$(mktemp)
trap 'rm -f "$update_log"' EXIT
update() {
  local status=0
  $sudo apt-get update -qq >"$update_log" 2>&1 || status=1
  grep -q -E '^(E|W): Failed to fetch' "$update_log" && status=1
  return $status
}
failed_indexes() {
  grep -o -E '^(E|W): Failed to fetch [^ ]+' "$update_log" | awk '{print $5}' | sort -u | paste -sd ' ' -
}

if ! update && ! update; then
  # Some index is stale or missing. Go on only when apt can still install
  # everything wanted from what it has; otherwise name what cannot be had.
  if ! $sudo apt-get install -s -qq --no-install-recommends "${missing[@]}" >/dev/null 2>&1; then
    unavailable=()
    for p in "${missing[@]}"; do
      $sudo apt-get install -s -qq --no-install-recommends "$p" >/dev/null 2>&1 || unavailable+=("$p")
    done
    echo "cannot install ${unavailable[*]:-${missing[*]}}: the package index failed to update ($(failed_indexes))" >&2
    exit 1
  fi
  echo "note: going on without a fresh index for $(failed_indexes); every wanted package can still be installed" >&2
fi
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
