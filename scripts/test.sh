#!/usr/bin/env bash
# The whole test suite, the same on every machine: sets up the machine, checks the formatting,
# builds warning-free and runs every test in an optimised build and under AddressSanitizer and
# UndefinedBehaviorSanitizer, replays every fuzz target over the committed seeds and regressions
# (fixed seed, fixed number of runs), and runs the threaded tests (document, command line, window)
# under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
step() { printf '\n== %s (%s)\n' "$1" "$(date +%T)"; }

step "formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

step "optimised build and tests"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIST_WERROR=ON
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs" -LE slow

step "AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIST_SANITIZE=ON \
  -DKIST_WERROR=ON -DKIST_BUILD_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs" -LE slow

step "fuzz replay"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DKIST_BUILD_FUZZ=ON -DKIST_FUZZ_REPLAY=ON -DKIST_BUILD_TESTS=OFF -DKIST_BUILD_BENCH=OFF
cmake --build build/fuzz -j "$jobs"
bash fuzz/replay.sh build/fuzz

step "ThreadSanitizer"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIST_TSAN=ON \
  -DKIST_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target document_tests cli_tests app_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
build/tsan/tests/document_tests
build/tsan/tests/cli_tests
build/tsan/tests/app_tests
step "all passed"
