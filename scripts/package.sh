#!/usr/bin/env bash
# Builds Korvel's Debian package from a Release build:
# build-package/korvel_<version>_<arch>.deb. Installs what is missing first:
# the build's own packages and the tools the package is made with
# (dpkg-shlibdeps from dpkg-dev, and file).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

missing=()
for p in dpkg-dev file; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCHMARKS=OFF
cmake --build build-package -j"$(nproc)"
rm -f build-package/korvel_*.deb
(cd build-package && cpack -G DEB)
deb=$(ls build-package/korvel_*.deb)
echo "package: $deb ($(du -h "$deb" | cut -f1))"
dpkg-deb --field "$deb" Depends
