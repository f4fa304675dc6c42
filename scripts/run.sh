#!/usr/bin/env bash
# Sets up the machine, builds Kist and starts the desktop application on the archives given
# (an empty window without any).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"

exec build/release/src/kist "$@"
