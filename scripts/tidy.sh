#!/usr/bin/env bash
# Runs clang-tidy with the root .clang-tidy over every source file of src/, from the compile
# commands of an existing build (default build/release). Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
[ -f "$build/compile_commands.json" ] || { echo "configure $build first (scripts/test.sh does)"; exit 2; }
run-clang-tidy-14 -p "$build" -j "$(nproc)" -quiet "$PWD/src/"
