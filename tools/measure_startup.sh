#!/usr/bin/env bash
# Start-up latency as a player hears it: from the start of the process to the
# first sample of the first phrase on the real audio device (SDL's disk output,
# which writes at the pace of a sound card). Runs the program N times (default
# 10) in a fresh folder and prints each figure and the median, then the
# resident memory after start and the CPU used while the menu waits a minute
# (MINUTE=0 skips that part).
#   usage: tools/measure_startup.sh build/korvel [N]
set -euo pipefail
src="$(cd "$1" && pwd)"
runs="${2:-10}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$src"/. "$work/"
rm -f "$work/Korvel.ini" "$work/ReadMe.txt"
cd "$work"
# Written once, so that no run opens the first-run help window.
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=disk XDG_RUNTIME_DIR="$work"
first_sample() {  # seconds from the start of a raw 44.1 kHz stereo s16 file to its first sound
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
for i in range(0, len(data) - 3, 4):
    l, r = struct.unpack_from("<hh", data, i)
    if abs(l) > 300 or abs(r) > 300:
        print(i / 4 / 44100.0); break
else:
    print("nan")
PY
}
SDL_DISKAUDIOFILE="$work/warm.raw" timeout 5 ./korvel >/dev/null 2>&1 || true
figures=()
for i in $(seq 1 "$runs"); do
  rm -f out.raw
  start=$(date +%s.%N)
  SDL_DISKAUDIOFILE="$work/out.raw" ./korvel >/dev/null 2>&1 &
  pid=$!
  while [ ! -e out.raw ]; do sleep 0.002; done
  opened=$(date +%s.%N)
  sleep 2.5
  kill -TERM "$pid"; wait "$pid" || true
  offset=$(first_sample out.raw)
  ms=$(python3 -c "print(round(($opened - $start + $offset) * 1000))")
  figures+=("$ms")
  echo "run $i: ${ms} ms"
done
printf '%s\n' "${figures[@]}" | sort -n | awk '{a[NR]=$1} END {m = (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2; print "median start-up to first sound: " m " ms"}'
if [ "${MINUTE:-60}" != "0" ]; then
  SDL_DISKAUDIOFILE=/dev/null ./korvel >/dev/null 2>&1 &
  pid=$!
  sleep 3
  echo "resident memory after start: $(awk '/VmRSS/ {print $2, $3}' /proc/$pid/status)"
  t0=$(awk '{print $14 + $15}' /proc/$pid/stat)
  sleep "${MINUTE:-60}"
  t1=$(awk '{print $14 + $15}' /proc/$pid/stat)
  hz=$(getconf CLK_TCK)
  python3 -c "print('CPU while the menu waits: %.2f %% of one core' % (($t1 - $t0) / $hz / ${MINUTE:-60} * 100))"
  kill -TERM "$pid"; wait "$pid" || true
fi
