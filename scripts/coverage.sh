#!/usr/bin/env bash
# Builds Kist with gcc's coverage instrumentation in build/coverage, runs the whole test suite
# and prints the line coverage of src/ (tests, fuzz, bench and generated moc code left out).
# The per-file table goes to build/coverage/coverage.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=build/coverage
jobs=${KIST_JOBS:-2}

if ! command -v gcovr >/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends gcovr
fi

# -fprofile-update=atomic: the extraction code runs on several threads, and plain counter
# updates from them race and lose hits.
flags="--coverage -fprofile-update=atomic"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DKIST_BUILD_BENCH=OFF -DKIST_BUILD_FUZZ=OFF
cmake --build "$BUILD" -j "$jobs"

# Counters add up across runs; start from zero so the numbers belong to this run alone.
find "$BUILD" -name '*.gcda' -delete

status=0
QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD" -j "$jobs" --output-on-failure -LE slow || status=$?
if [ "$status" -ne 0 ]; then
  echo "coverage.sh: some tests failed (ctest exit $status); the numbers below still count them" >&2
fi

root=$PWD
# CMake's compiler checks are instrumented too; leave them out, or gcov drops their reports here.
gcovr --root "$root" --object-directory "$BUILD" -j "$jobs" \
  --exclude-directories '.*/CMakeFiles/[0-9.]+/.*' \
  --filter "$root/src/" \
  --exclude '.*_autogen/.*' --exclude '.*moc_.*' --exclude "$root/tests/" \
  --exclude "$root/fuzz/" --exclude "$root/bench/" \
  --output "$BUILD/coverage.txt" --print-summary | tee "$BUILD/coverage-summary.txt"

line=$(grep -m1 '^lines:' "$BUILD/coverage-summary.txt" || true)
echo "Total line coverage of src/: ${line#lines: }"
exit "$status"
