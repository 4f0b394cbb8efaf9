#!/usr/bin/env bash
# Drives the window with random clicks, double-clicks, drags, wheel turns and
# key presses against the built-in demo answers, on a private X server, and
# stops at the first crash or sanitizer report. Meant for the asan build:
#   scripts/monkey.sh [minutes] [build-dir] [seed]   (default 10, build/asan, random)
# The close button ends the program now and then; it is started again. Logs
# of every run go to <build-dir>/monkey-logs; exits 1 when a run failed.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/private-display.sh
minutes=${1:-10}
build=${2:-build/asan}
seed=${3:-$((RANDOM * 32768 + RANDOM))}
program=$build/vantrel
[ -x "$program" ] || { echo "build the vantrel target in $build first" >&2; exit 2; }
scripts/install-deps.sh check || exit 2
RANDOM=$seed

work=$(mktemp -d)
logs=$build/monkey-logs
rm -rf "$logs"
mkdir -p "$logs" "$work/bin"
xvfb_pid=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Links the program opens are written down instead of opened.
printf '#!/bin/sh\necho "$@" >>"%s/opened-links.txt"\n' "$logs" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH BROWSER=$work/bin/xdg-open
export XDG_CONFIG_HOME=$work/config
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

start_private_display || exit 1

runs=0
actions=0
window=""

start() {
  runs=$((runs + 1))
  "$program" --demo >"$logs/run-$runs.log" 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" --name '^Vantrel$' 2>/dev/null | head -1)
    [ -n "$window" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.3
  done
  return 1
}

# A run that ended: fine when it exited with 0 and its log holds no report.
check_end() {
  local rc=$1 log=$logs/run-$runs.log
  if [ "$rc" -ne 0 ] || grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then
    echo "run $runs failed with status $rc after $actions actions (seed $seed): $log" >&2
    grep -m1 -A12 -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log" >&2
    return 1
  fi
  return 0
}

keys=(Up Down Page_Up Page_Down Home End Return Escape Tab space a 1 F1 F5 ctrl+a shift+Tab)

random_point() {
  local geometry w h
  geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)
  w=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
  h=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
  px=$((RANDOM % ${w:-308}))
  py=$((RANDOM % ${h:-542}))
}

act() {
  random_point
  local on=(mousemove --window "$window" "$px" "$py")
  case $((RANDOM % 12)) in
    0 | 1 | 2 | 3) xdotool "${on[@]}" click 1 ;;
    4) xdotool "${on[@]}" click --repeat 2 --delay 80 1 ;;
    5)
      local from=("$px" "$py")
      random_point
      xdotool mousemove --window "$window" "${from[@]}" mousedown 1 \
        mousemove --window "$window" "$px" "$py" mouseup 1
      ;;
    6 | 7) xdotool windowfocus "$window" key "${keys[RANDOM % ${#keys[@]}]}" ;;
    8) xdotool "${on[@]}" click $((4 + RANDOM % 2)) ;;
    9) xdotool "${on[@]}" click 3 ;;
    *) xdotool "${on[@]}" ;;
  esac
  actions=$((actions + 1))
}

echo "monkey: $minutes min on $program, seed $seed, display $DISPLAY"
end=$((SECONDS + minutes * 60))
start || { echo "the window did not appear" >&2; exit 1; }
while [ $SECONDS -lt $end ]; do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    rc=$?
    pid=""
    check_end "$rc" || exit 1
    start || { echo "the window did not appear again" >&2; exit 1; }
    continue
  fi
  # Minimised or hidden to the tray: bring it back.
  if [ -z "$(xdotool search --onlyvisible --pid "$pid" --name '^Vantrel$' 2>/dev/null | head -1)" ]; then
    xdotool windowmap "$window" 2>/dev/null
  fi
  act >/dev/null 2>&1
  sleep "0.$((RANDOM % 3))$((RANDOM % 10))"
done
kill -TERM "$pid" 2>/dev/null
wait "$pid"
rc=$?
pid=""
check_end "$rc" || exit 1
opened=$(wc -l <"$logs/opened-links.txt" 2>/dev/null || echo 0)
echo "monkey: $actions actions in $runs runs, no crash and no sanitizer report; $opened links opened"
