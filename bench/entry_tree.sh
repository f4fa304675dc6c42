#!/usr/bin/env bash
# Times entry-tree building at two sizes; prints the per-entry ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target entry_tree_bench >/dev/null
build/release/bench/entry_tree_bench
