#!/usr/bin/env bash
# The test command's fuzz stage: every target runs a fixed number of inputs from a fixed seed,
# starting from the committed seeds and the kept regressions, so every machine gets the same
# result. Exploring for new faults is fuzz/run.sh's job, not this one's.
# Usage: fuzz/replay.sh BUILD [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "${1:?fuzz build folder}")
runs=${2:-400}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for binary in "$build"/fuzz/fuzz_*; do
  [ -f "$binary" ] && [ -x "$binary" ] || continue
  target=${binary##*/fuzz_}
  inputs=("$here/seeds/$target")
  [ -d "$here/regressions/$target" ] && inputs+=("$here/regressions/$target")
  # New inputs go to a fresh folder, never into the committed ones.
  mkdir -p "$work/$target"
  echo "fuzz_$target: $runs runs, seed 1"
  "$binary" -seed=1 -runs="$runs" -max_len=65536 -timeout=30 -rss_limit_mb=2048 \
    -malloc_limit_mb=4200 -print_final_stats=1 -artifact_prefix="$work/$target-" \
    "$work/$target" "${inputs[@]}" 2>&1 | tail -n 25
done
