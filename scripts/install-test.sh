#!/usr/bin/env bash
# The install test, outside the suite: installs the built package into a fresh
# Debian 12 root (debootstrap) with apt, so that its dependencies resolve from
# the archive, then starts the game there as an ordinary user under Xvfb with
# SDL's disk audio output for five seconds, and checks that the first phrase
# was heard (sound in the disk output) and that the settings file was written
# in the user's data folder and nothing beside the executable.
#   usage: scripts/install-test.sh [package.deb]    (as root; default: the newest
#   build-package/korvel_*.deb made by scripts/package.sh)
# The root is made under build-install/ (KORVEL_INSTALL_TEST_DIR to move it);
# the downloaded archives are kept in its cache/ for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
deb="$(realpath "${1:-$(ls -t build-package/korvel_*.deb | head -1)}")"
work="$(realpath -m "${KORVEL_INSTALL_TEST_DIR:-build-install}")"
root="$work/root"
mkdir -p "$work/cache"

if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
fi
# The archive this machine's apt uses.
mirror="$(grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | head -1 | awk '{print $2}')"
if [ -z "$mirror" ]; then
  mirror="$(grep -hs '^deb ' /etc/apt/sources.list | head -1 | awk '{print $2}')"
fi

unmount() {
  for m in dev/pts dev proc; do
    if mountpoint -q "$root/$m"; then umount -l "$root/$m"; fi
  done
}
trap unmount EXIT
unmount
rm -rf "$root"

step() { echo "== $(date +%T) $*"; }
step "fresh Debian 12 root from $mirror"
debootstrap --variant=minbase --cache-dir="$work/cache" bookworm "$root" "$mirror" \
  >"$work/debootstrap.log" 2>&1 || { tail -20 "$work/debootstrap.log"; exit 1; }
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
# No service starts inside the root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

step "apt install ./$(basename "$deb") xvfb xauth"
cp "$deb" "$root/tmp/"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get update -q >"$work/apt.log" 2>&1
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  "/tmp/$(basename "$deb")" xvfb xauth >>"$work/apt.log" 2>&1 || { tail -30 "$work/apt.log"; exit 1; }
grep -E '^(Setting up korvel|Need to get)' "$work/apt.log" || true

step "korvel for five seconds as the user 'player'"
chroot "$root" useradd --create-home player
chroot "$root" runuser -u player -- env -i HOME=/home/player PATH=/usr/bin:/bin:/usr/games \
  LANG=C.UTF-8 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/home/player/out.raw \
  xvfb-run -a timeout -s TERM 5 /usr/games/korvel >"$work/korvel.log" 2>&1 || true
cat "$work/korvel.log"

failed=0
check() {
  if eval "$2"; then echo "ok:   $1"; else echo "FAIL: $1"; failed=1; fi
}
raw="$root/home/player/out.raw"
# Samples (signed 16-bit, interleaved stereo at 44.1 kHz) louder than 300.
loud=0
if [ -s "$raw" ]; then
  loud=$(od -An -v -t d2 -w2 "$raw" | awk '$1 > 300 || $1 < -300 {n++} END {print n + 0}')
fi
echo "disk output: $(stat -c %s "$raw" 2>/dev/null || echo 0) bytes, $loud loud samples"
data="$root/home/player/.local/share/korvel"
check "the first phrase was heard" '[ "$loud" -gt 4410 ]'
check "settings written in ~/.local/share/korvel" '[ -s "$data/Korvel.ini" ]'
check "read-me written in ~/.local/share/korvel" '[ -s "$data/ReadMe.txt" ]'
check "nothing written beside the executable" '[ "$(ls "$root/usr/games")" = korvel ]'
check "settings owned by the player" \
  '[ "$(stat -c %u "$data/Korvel.ini")" = "$(chroot "$root" id -u player)" ]'
chroot "$root" ls -l /home/player/.local/share/korvel
if [ "$failed" -ne 0 ]; then
  echo "install test: FAILED"
  exit 1
fi
echo "install test: passed"
