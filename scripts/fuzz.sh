#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang-14) and runs one or all
# of them for a number of seconds each, one after the other.
# Usage: scripts/fuzz.sh [seconds per target (default 60)] [target name ...]
#   scripts/fuzz.sh 300                  every fuzz/*_fuzz.cpp target, 5 minutes each
#   scripts/fuzz.sh 60 url_fuzz          just one
#   scripts/fuzz.sh 10                   a smoke run of every target, as CI does
# Corpora grow in build/fuzz/corpus/<target>/; findings land in build/fuzz/findings/.
# fuzz/<target>.seeds, when present, names files (globs from the top folder)
# that start the target's corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

scripts/install-deps.sh fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in fuzz/" >&2; exit 1; }

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target "${targets[@]}"

status=0
for t in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$t
  findings=build/fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  if [ -f "fuzz/$t.seeds" ]; then
    while read -r pattern; do
      # shellcheck disable=SC2086 # the pattern is meant to expand
      [ -n "$pattern" ] && cp -n $pattern "$corpus"/
    done <"fuzz/$t.seeds"
  fi
  echo "== $t: ${seconds}s" >&2
  if ! build/fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 \
       -rss_limit_mb=2048 -artifact_prefix="$findings/" "$corpus"; then
    echo "== $t: FAILED, see $findings/" >&2
    status=1
  fi
done
exit $status
