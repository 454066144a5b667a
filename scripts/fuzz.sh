#!/usr/bin/env bash
# Builds the fuzz targets with clang (ASan+UBSan) into build-fuzz and runs one
# of them for a while, single process, on its seed corpus; new inputs it finds
# go to build-fuzz/found/<target>, crashes to build-fuzz/crashes/.
#   bash scripts/fuzz.sh <target> [seconds] [more libFuzzer flags]
# Targets: Settings SavedGame StartPosition ReadMe TextCodec ComputerMove.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ]; then
  sed -n '2,7p' "$0" | cut -c3-
  exit 2
fi
target="$1"
seconds="${2:-600}"
shift $(($# < 2 ? $# : 2))
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: run bash scripts/setup.sh" >&2
  exit 1
fi
cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j2 --target "fuzz_$target"
mkdir -p "build-fuzz/found/$target" build-fuzz/crashes
exec nice -n 10 "build-fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
  -artifact_prefix="build-fuzz/crashes/$target-" "$@" "build-fuzz/found/$target" "tests/fuzz/corpus/$target"
