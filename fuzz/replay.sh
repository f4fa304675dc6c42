#!/usr/bin/env bash
# The test command's fuzz stage: every target runs a fixed number of inputs from a fixed seed,
# starting from the committed seeds and the kept regressions, so every machine gets the same
# result, given a build configured with -DKIST_FUZZ_REPLAY=ON (no coverage feedback, which the
# readers' threads make depend on timing). Exploring for new faults is fuzz/run.sh's job.
# Usage: fuzz/replay.sh BUILD [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "${1:?fuzz build folder}")
runs=${2:-1000}
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
  # Only what the seed decides may steer the runs: every committed input stays in the corpus,
  # inputs may grow to the largest length at once, and neither hit counts nor the values that
  # comparisons saw (both differ with the readers' threads) feed the mutations. The targets cap
  # file sizes and ignore SIGXFSZ, so a write past the cap fails as on a full disk: libFuzzer's
  # own handler for it would end the run instead.
  "$binary" -seed=1 -runs="$runs" -max_len=65536 -timeout=30 -rss_limit_mb=2048 -handle_xfsz=0 \
    -malloc_limit_mb=4200 -keep_seed=1 -len_control=0 -use_counters=0 -use_cmp=0 -use_memmem=0 \
    -print_final_stats=1 -artifact_prefix="$work/$target-" \
    "$work/$target" "${inputs[@]}" 2>&1 | tail -n 25
done
