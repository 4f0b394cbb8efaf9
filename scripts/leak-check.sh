#!/usr/bin/env bash
# Runs the program under valgrind's leak checker against the built-in demo
# answers: one --print run per source and a short window run that clicks
# through the four lists. Prints, for each run, the bytes definitely lost in
# all and in records whose stack passes through our own code; exits 1 when
# our code lost any.
# Usage: scripts/leak-check.sh [build-dir] [window-seconds]   (default build/debug, 40)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/private-display.sh
build=${1:-build/debug}
seconds=${2:-40}
program=$build/vantrel
[ -x "$program" ] || { echo "build the vantrel target in $build first" >&2; exit 2; }
scripts/install-deps.sh check

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
# A link the program opens goes nowhere.
mkdir -p "$work/bin"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH BROWSER=true

valgrind=(valgrind --leak-check=full --show-leak-kinds=definite --num-callers=40)
logs=$build/leak-logs
rm -rf "$logs"
mkdir -p "$logs"

# Bytes in loss records that are definitely lost and name our namespace or
# our program's main in their stack.
summarise() {
  local log=$1 name=$2 total ours
  total=$(sed -n 's/.*definitely lost: \([0-9,]*\) bytes.*/\1/p' "$log" | tr -d , | tail -1)
  ours=$(awk '
    /bytes in [0-9,]+ blocks are definitely lost/ { n = $2; gsub(",", "", n); rec = 1; hit = 0; next }
    rec && /(vantrel::|main \(main\.cpp)/ { hit = 1 }
    rec && /^==[0-9]+== *$/ { if (hit) sum += n; rec = 0 }
    END { print sum + 0 }' "$log")
  printf '%-14s definitely lost %8s bytes, in our code %6s bytes  (%s)\n' \
    "$name" "${total:-0}" "$ours" "$log"
  [ "$ours" -eq 0 ]
}

status=0
for source in weibo baidu toutiao douyin; do
  "${valgrind[@]}" --log-file="$logs/print-$source.log" \
    "$program" --demo --print "$source" >/dev/null 2>&1 || true
  summarise "$logs/print-$source.log" "print $source" || status=1
done

start_private_display || exit 1
"${valgrind[@]}" --log-file="$logs/window.log" "$program" --demo >/dev/null 2>&1 &
run_pid=$!
window=""
for _ in $(seq 1 120); do
  window=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.5
done
end=$((SECONDS + seconds))
while [ -n "$window" ] && [ $SECONDS -lt $end ]; do
  for x in 45 117 189 262; do
    xdotool mousemove --window "$window" "$x" 76 click 1 2>/dev/null || true
    sleep 1
    xdotool mousemove --window "$window" 150 200 2>/dev/null || true
    sleep 1
  done
done
kill -TERM "$run_pid" 2>/dev/null || true
wait "$run_pid" || true
summarise "$logs/window.log" "window" || status=1
exit $status
