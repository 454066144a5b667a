#!/usr/bin/env bash
# Sets up what is missing, builds Korvel and starts it from its program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEL_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
exec ./build/korvel/korvel "$@"
