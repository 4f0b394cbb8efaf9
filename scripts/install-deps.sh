#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Usage: scripts/install-deps.sh [run|test|fuzz|check]   (default: test, which includes run)
set -euo pipefail

BUILD=(cmake ninja-build g++ pkg-config make dpkg-dev file)
LIBS=(qt6-base-dev qt6-multimedia-dev libqt6svg6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
      gstreamer1.0-libav qt6-qpa-plugins libcurl4-openssl-dev duktape-dev libpcre2-dev libpng-dev
      libjpeg-dev zlib1g-dev libcpp-httplib-dev libxcb1-dev libxcb-xinput-dev libx11-dev fonts-wqy-microhei ca-certificates)
TEST=(libgtest-dev libgmock-dev libbenchmark-dev libssl-dev openssl nlohmann-json3-dev
      curl gdb xvfb xauth x11-utils xdotool imagemagick trayer openbox xclip desktop-file-utils
      appstream python3 python3-xlrd g++-mingw-w64-i686 wine wine32:i386 libreoffice-calc-nogui)
FUZZ=(clang-14 libclang-rt-14-dev libfuzzer-14-dev)
# The leak check and the GUI monkey (scripts/leak-check.sh, scripts/monkey.sh).
CHECK=(valgrind xdotool xvfb xauth)

mode=${1:-test}
want=("${BUILD[@]}" "${LIBS[@]}")
case "$mode" in
  run) ;;
  test) want+=("${TEST[@]}") ;;
  fuzz) want+=("${TEST[@]}" "${FUZZ[@]}") ;;
  check) want+=("${CHECK[@]}") ;;
  *) echo "usage: $0 [run|test|fuzz|check]" >&2; exit 2 ;;
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
# Wine runs 32-bit Windows programs with the i386 half of Wine.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
