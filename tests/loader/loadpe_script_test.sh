#!/usr/bin/env bash
# Drives scripts/loadpe.sh end to end on the 64-bit fixture libraries: the
# answers of exports called with an integer or none, the library relocated
# when its preferred base is taken, and each refusal with one line on
# standard error and nothing on standard output.
# VANTREL_LOADPE_BUILD names the build folder of the 64-bit Windows tool.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
if why=$(wine_missing win64); then exec "$root/tests/loader/windows/skip.sh" win64 "$why"; fi
data=$root/tests/data/loader
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAILED: loadpe.sh $*" >&2
  sed 's/^/  stdout: /' "$work/out" >&2
  sed 's/^/  stderr: /' "$work/err" >&2
  failures=$((failures + 1))
}

# loadpe ARGS...: runs the script; its output lands in $work/out and $work/err.
loadpe() {
  "$root/scripts/loadpe.sh" "$@" >"$work/out" 2>"$work/err"
}

# answers "LINE" ARGS...: exit 0, LINE as the whole of standard output, no
# standard error.
answers() {
  local line=$1
  shift
  loadpe "$@"
  local status=$?
  [ $status -eq 0 ] && [ "$(cat "$work/out")" = "$line" ] && [ "$(wc -l <"$work/out")" -eq 1 ] &&
    [ ! -s "$work/err" ] || fail "$* (status $status, wanted: $line)"
}

# refuses STATUS ARGS...: that status, nothing on standard output, one line
# on standard error.
refuses() {
  local want=$1
  shift
  loadpe "$@"
  local status=$?
  [ $status -eq "$want" ] && [ ! -s "$work/out" ] && [ "$(wc -l <"$work/err")" -eq 1 ] ||
    fail "$* (status $status, wanted $want)"
}

sample=$data/sample64.dll
answers "vt_swap16(4660) = 13330" "$sample" vt_swap16 4660
answers "vt_swap16(-1) = 65535" "$sample" vt_swap16 -1
answers "vt_attach_count() = 1" "$sample" vt_attach_count
answers "vt_cell_offset(5) = -635" "$sample" vt_cell_offset 5
answers "vt_own_base() = $((0x200000000000))" "$sample" vt_own_base
cd "$data" || exit 1
answers "vt_text_length(0) = 0" sample64.dll vt_text_length 0
cd - >/dev/null || exit 1

# Relocated: its own base is another, and the last of its table of
# addresses still points into it.
answers "vt_cell_offset(1279) = 639" --at-preferred-base-taken "$sample" vt_cell_offset 1279
loadpe --at-preferred-base-taken "$sample" vt_own_base
if ! grep -Eqx 'vt_own_base\(\) = [1-9][0-9]*' "$work/out" ||
  grep -qx "vt_own_base() = $((0x200000000000))" "$work/out"; then
  fail "--at-preferred-base-taken $sample vt_own_base (not relocated)"
fi

head -c 4000 "$sample" >"$work/cut.dll"
refuses 1 "$data/sample.dll" vt_swap16 1
refuses 1 "$sample" vt_no_such_function
refuses 1 "$sample" vt_no_such_function 7
refuses 1 "$data/failing_entry64.dll" vt_never_reached
refuses 1 "$work/cut.dll" vt_swap16 1
refuses 1 "$data/build-fixtures.sh" vt_swap16 1
refuses 1 "$work/absent.dll" vt_swap16 1
refuses 2 "$sample" vt_swap16 12x
refuses 2 "$sample"

[ $failures -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "loadpe.sh: every case as expected"
