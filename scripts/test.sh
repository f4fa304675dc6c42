#!/usr/bin/env bash
# Sets up the machine, builds Kist and runs the whole test suite twice: an optimised build,
# then a build under AddressSanitizer and UndefinedBehaviorSanitizer. Then every fuzz target runs
# for a short fixed time (clang, libFuzzer, the same sanitizers), and the document, command-line
# and application tests run once more under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIST_SANITIZE=ON -DKIST_BUILD_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DKIST_BUILD_FUZZ=ON -DKIST_BUILD_TESTS=OFF -DKIST_BUILD_BENCH=OFF
cmake --build build/fuzz -j "$jobs"
bash fuzz/run.sh all "${KIST_FUZZ_SECONDS:-20}" build/fuzz

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIST_TSAN=ON -DKIST_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target document_tests cli_tests app_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
build/tsan/tests/document_tests
build/tsan/tests/cli_tests
build/tsan/tests/app_tests
