#!/usr/bin/env bash
# Explores: runs fuzz targets for a given time each, from the fuzz build folder (made with
# clang-14, see scripts/test.sh), growing a corpus in BUILD/fuzz-corpus from the committed seeds.
# Crashing inputs land in BUILD/fuzz-artifacts; keep one that found a real fault under
# fuzz/regressions/TARGET/, named after what it exercises, so the test suite replays it.
# Usage: fuzz/run.sh TARGET|all SECONDS [BUILD]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
target=${1:?target name or all}
seconds=${2:?seconds per target}
build=$(realpath -m "${3:-$here/../build-fuzz}")
if [ "$target" = all ]; then
  # Every target the build made (fuzz/CMakeLists.txt names them).
  targets=()
  for binary in "$build"/fuzz/fuzz_*; do
    name=${binary##*/fuzz_}
    if [ -f "$binary" ] && [ -x "$binary" ] && [ "$name" != regression_tests ]; then
      targets+=("$name")
    fi
  done
else
  targets=("$target")
fi

seeds="$here/seeds"
mkdir -p "$build/fuzz-artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

for t in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$t"
  mkdir -p "$corpus"
  echo "fuzz_$t: ${seconds}s"
  # The RAR library reserves the window an entry declares (up to 4 GiB) before decoding: a
  # lazily committed allocation, so the single-allocation limit sits above it while memory
  # actually used stays capped. A write past the targets' file size cap fails as on a full disk
  # (-handle_xfsz=0 keeps libFuzzer's handler from ending the run).
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=65536 -timeout=30 -rss_limit_mb=2048 -handle_xfsz=0 \
    -malloc_limit_mb=4200 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" "$corpus" "$seeds/$t" 2>&1 |
    tail -n 25
done
