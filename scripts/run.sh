#!/usr/bin/env bash
# Sets up the machine, builds Kist and runs it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"

program=build/release/src/kist-cli
if [ ! -x "$program" ]; then
  echo "The engine is built; the kist-cli program is not part of this build yet." >&2
  exit 1
fi
exec "$program" "$@"
