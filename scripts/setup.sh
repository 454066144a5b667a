#!/usr/bin/env bash
# Installs what Korvel needs to build, run and test on Debian 12.
# Idempotent: packages already present are not fetched again. Further package
# names given as arguments are installed the same way.
#
# The router test runs Debian's miniupnpd from its own configuration in
# network namespaces: miniupnpd-nftables is the daemon alone (no service, no
# questions, nothing started on installing); the package "miniupnpd", which
# holds the system service and its debconf questions, is not installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-speech-dev qt6-declarative-dev
  libqt6texttospeech6 qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng
  libsdl2-dev libsdl2-mixer-dev libfluidsynth-dev timgm6mb-soundfont libsoundtouch-dev
  espeak-ng lame sox
  libgtest-dev libgmock-dev googletest libbenchmark-dev clang-format ccache
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix
  libminiupnpc-dev libnatpmp-dev
  miniupnpd-nftables nftables iproute2 util-linux
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
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
