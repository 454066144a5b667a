#!/usr/bin/env bash
# Builds Korvel's Debian package from a Release build:
# build-package/korvel_<version>_<arch>.deb. Installs what is missing first:
# the build's own packages and the tools the package is made with
# (dpkg-shlibdeps from dpkg-dev, and file).
set -euo pipefail
cd "$(dirname "$0")/.."
# The package's tools: dpkg-shlibdeps (dpkg-dev) and file.
bash scripts/setup.sh dpkg-dev file

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCHMARKS=OFF
cmake --build build-package -j"$(nproc)"
rm -f build-package/korvel_*.deb
(cd build-package && cpack -G DEB)
deb=$(ls build-package/korvel_*.deb)
echo "package: $deb ($(du -h "$deb" | cut -f1))"
dpkg-deb --field "$deb" Depends
