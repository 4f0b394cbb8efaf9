#!/usr/bin/env bash
# The build's floor check against small trees made here: an include that
# reaches up a floor is named and fails; includes on the same floor or below,
# and the settings window above the settings file, pass.
# Usage: floors_test.sh PATH/TO/check_floors.cmake
set -uo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
tree() { # tree NAME FILE=INCLUDE ...
  local root=$work/$1; shift
  for pair in "$@"; do
    local file=${pair%%=*} include=${pair#*=}
    mkdir -p "$root/$(dirname "$file")"
    [ -n "$include" ] && echo "#include \"$include\"" >>"$root/$file" || touch "$root/$file"
  done
  echo "$root"
}
run() { cmake -DSRC="$1" -P "$check" 2>&1; }

good=$(tree good app/window.cpp=model/ids.h app/window.h=cli/options.h cli/options.h=app/window.h \
  model/ids.h= export/sheet.h=settings/file.h settings/file.h=net/text.h net/text.h= \
  settings/settings_window.cpp=toolkit/box.h toolkit/box.h=model/ids.h)
out=$(run "$good") || fail "a tree without upward includes was refused: $out"

bad=$(tree bad model/list.h=app/state.h app/state.h= export/sheet.cpp=toolkit/box.h toolkit/box.h= \
  settings/file.cpp=settings/settings_window.h settings/settings_window.h=)
if out=$(run "$bad"); then
  fail "upward includes passed"
fi
for wanted in "src/model/list.h (floor 0) includes app/state.h (floor 3)" \
              "src/export/sheet.cpp (floor 1) includes toolkit/box.h (floor 2)" \
              "src/settings/file.cpp (floor 1) includes settings/settings_window.h (floor 3)"; do
  grep -qF "$wanted" <<<"$out" || fail "not named: $wanted"
done

stray=$(tree stray attic/old.h=)
if out=$(run "$stray"); then fail "a room without a floor passed"; fi
grep -q "attic/old.h is in a room with no floor" <<<"$out" || fail "the room without a floor is not named"

[ "$failures" -eq 0 ] || exit 1
echo "floors: all cases passed"
