#!/usr/bin/env bash
# Runs scripts/install-deps.sh with stand-in apt-get, apt-cache-free dpkg and
# dpkg-query programs first on PATH, so a failing mirror and a package that
# cannot be had are played out without touching the machine's own apt.
# Usage: install_deps_test.sh PATH/TO/install-deps.sh
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fake=$work/bin
mkdir -p "$fake"

# State the stand-ins read: installed packages, foreign architectures, which
# index fails, which packages the index lacks. Every call is logged.
export FAKE_LOG=$work/calls FAKE_INSTALLED=$work/installed FAKE_ARCHS=$work/archs
export FAKE_UPDATE_FAILS=0 FAKE_UNAVAILABLE=""

cat >"$fake/dpkg-query" <<'SH'
#!/usr/bin/env bash
pkg=${!#}
grep -qx -- "$pkg" "$FAKE_INSTALLED" && { printf 'install ok installed'; exit 0; }
exit 1
SH
cat >"$fake/dpkg" <<'SH'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_LOG"
case $1 in
  --print-foreign-architectures) cat "$FAKE_ARCHS" ;;
  --add-architecture) echo "$2" >>"$FAKE_ARCHS" ;;
esac
SH
cat >"$fake/apt-get" <<'SH'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case " $* " in
  *" update "*)
    if [ "$FAKE_UPDATE_FAILS" -gt 0 ]; then
      echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi ;;
  *" -s "*)
    for p in "$@"; do
      case " $FAKE_UNAVAILABLE " in *" $p "*) echo "E: Unable to locate package $p" >&2; exit 100 ;; esac
    done ;;
  *" -y "*)
    for p in "$@"; do [[ $p == -* || $p == install ]] || echo "$p" >>"$FAKE_INSTALLED"; done ;;
esac
exit 0
SH
printf '#!/bin/sh\necho 0\n' >"$fake/id"
chmod +x "$fake"/*

failures=0
check() { # check WHAT CONDITION...
  local what=$1; shift
  if "$@"; then :; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}
reset() {
  : >"$FAKE_LOG"; : >"$FAKE_ARCHS"; : >"$FAKE_INSTALLED"
  FAKE_UPDATE_FAILS=0 FAKE_UNAVAILABLE=""
}
run() { # run MODE: sets status, out (stdout) and err (stderr)
  PATH="$fake:$PATH" "$script" "$@" >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out"); err=$(cat "$work/err")
}
calls() { grep -c -- "$1" "$FAKE_LOG"; }

# A fresh machine: one update, one install, no foreign architecture.
reset
run test
check "fresh install succeeds" [ "$status" -eq 0 ]
check "fresh install updates once" [ "$(calls 'apt-get update')" -eq 1 ]
check "fresh install adds no architecture" [ "$(calls 'add-architecture')" -eq 0 ]
check "fresh install asks for no i386 package" [ "$(grep -c ':i386' "$FAKE_INSTALLED")" -eq 0 ]
check "fresh install installs the 64-bit Wine" grep -qx wine64 "$FAKE_INSTALLED"

# Everything there already: silent, and apt is not asked at all.
: >"$FAKE_LOG"
run test
check "nothing missing: exit 0" [ "$status" -eq 0 ]
check "nothing missing: silent" [ -z "$out$err" ]
check "nothing missing: apt untouched" [ "$(calls 'apt-get')" -eq 0 ]

# A lagging index, but every package can still be had: tried twice, then installed.
reset
FAKE_UPDATE_FAILS=1
run run
check "lagging index: install goes on" [ "$status" -eq 0 ]
check "lagging index: update retried once" [ "$(calls 'apt-get update')" -eq 2 ]
check "lagging index: installed" grep -qx qt6-base-dev "$FAKE_INSTALLED"
check "lagging index: names the index" grep -q 'binary-i386/Packages' <<<"$err"

# A lagging index and a package it lacks: one line naming both, nothing installed.
reset
FAKE_UPDATE_FAILS=1 FAKE_UNAVAILABLE="libpng-dev"
run run
check "missing package: exit 1" [ "$status" -eq 1 ]
check "missing package: nothing installed" [ ! -s "$FAKE_INSTALLED" ]
last=$(tail -n 1 <<<"$err")
check "missing package: named" grep -q 'cannot install libpng-dev:' <<<"$last"
check "missing package: only that one named" [ "$(grep -o 'cannot install [^:]*' <<<"$last")" = "cannot install libpng-dev" ]
check "missing package: index named" grep -q 'binary-i386/Packages' <<<"$last"

# The 32-bit Windows side is asked for by name only, and adds i386 once.
reset
run windows32
check "windows32: adds i386" [ "$(calls 'add-architecture i386')" -eq 1 ]
check "windows32: installs wine32" grep -qx 'wine32:i386' "$FAKE_INSTALLED"

# An unknown mode is refused before anything is looked at.
reset
run everything
check "unknown mode: exit 2" [ "$status" -eq 2 ]
check "unknown mode: apt untouched" [ "$(calls 'apt-get')" -eq 0 ]

[ "$failures" -eq 0 ] || exit 1
echo "install-deps: all cases passed"
