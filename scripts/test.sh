#!/usr/bin/env bash
# Sets up what is missing, builds Korvel with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite through CTest;
# builds the default Release configuration and the portable floors for Windows;
# then builds the fuzz targets with
# clang and runs each briefly on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# ccache keeps the compiled objects between runs and between clones (the paths
# are taken relative to the repository), so a second run compiles only what
# changed.
LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  export CCACHE_SLOPPINESS="pch_defines,time_macros,include_file_mtime,include_file_ctime"
fi

# Line tables are enough for the sanitizers' stack traces, and much quicker
# to build than full debugging information.
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVEL_SANITIZE=ON \
  -DKORVEL_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" "${LAUNCHER[@]}"
cmake --build build-tests -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
ctest --test-dir build-tests --output-on-failure -j2

# The Release configuration, as a maintainer builds it: built, not run; the
# check is that the distribution's compiler builds the program and the
# benchmarks optimised with warnings as errors. The tests and the sound assets
# were built and checked above, so they are not built a second time.
cmake -S . -B build-release -G Ninja -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_ASSETS=OFF \
  "${LAUNCHER[@]}"
cmake --build build-release -j"$(nproc)"

# The floors below the platform (standard C++ only) built for Windows with
# mingw-w64: nothing there may lean on Linux.
# Only whether it compiles matters here, so nothing is optimised.
cmake -S . -B build-mingw -G Ninja -DKORVEL_PORTABLE_ONLY=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/MingwToolchain.cmake -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG=-O0 "${LAUNCHER[@]}"
cmake --build build-mingw -j"$(nproc)"

if command -v clang++ >/dev/null; then
  cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${LAUNCHER[@]}"
  cmake --build build-fuzz -j"$(nproc)"
  ctest --test-dir build-fuzz --output-on-failure -j2
else
  echo "clang++ not found: the fuzz targets are skipped"
fi
