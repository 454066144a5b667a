#!/usr/bin/env bash
# Sets up what is missing, builds Korvel with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite through CTest;
# builds the default Release configuration and the portable floors for Windows;
# then builds the fuzz targets with
# clang and runs each briefly on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVEL_SANITIZE=ON \
  -DKORVEL_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"
cmake --build build-tests -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
ctest --test-dir build-tests --output-on-failure -j2

# The default configuration, as a maintainer builds it (Release, tests and
# benchmarks on): built, not run; the check is that the distribution's
# compiler builds it with warnings as errors.
cmake -S . -B build-release -G Ninja
cmake --build build-release -j"$(nproc)"

# The floors below the platform (standard C++ only) built for Windows with
# mingw-w64: nothing there may lean on Linux.
cmake -S . -B build-mingw -G Ninja -DKORVEL_PORTABLE_ONLY=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/MingwToolchain.cmake
cmake --build build-mingw -j"$(nproc)"

if command -v clang++ >/dev/null; then
  cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
  cmake --build build-fuzz -j"$(nproc)"
  ctest --test-dir build-fuzz --output-on-failure -j2
else
  echo "clang++ not found: the fuzz targets are skipped"
fi
