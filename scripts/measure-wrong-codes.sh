#!/usr/bin/env bash
# The host of a network game under a stream of wrong codes, met as a player
# meets it. The program runs under its own Xvfb with SDL's disk driver and
# KORVEL_TRACE (timing marks: keys taken, phrases first mixed). The host
# creates a single game with keys from xdotool; a small guest on loopback then
# sends WRONG hellos with a wrong code, a connection each, and at last joins
# with the right code and keeps the game alive. Printed: the host's resident
# memory before and after the wrong codes, its message boxes then shown, and,
# once the board has opened, what the arrows and Space made it say, with the
# loudness of the sound mixed after them.
#
# Usage: scripts/measure-wrong-codes.sh [program folder] [wrong codes] [port]
# Needs: Xvfb, xdotool, python3, sox.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/korvel}
wrong=${2:-2000}
port=${3:-47717}
display=:73
name=measure-wrong-codes
source "$root/scripts/measure-start.sh"

# The stored choices of a fresh start, and the port.
printf '[Menu]\nlevel=1\ntime=0\ntype=1\nposition=1\n[Music]\nplay=0\n[Net]\nport=%s\n' "$port" \
  >"$work/host.ini"
start_side host "$display"
host=$started

resident() { awk '/^VmRSS/ { print $2 " kB" }' "/proc/$host/status"; }
boxes() { DISPLAY=$display xdotool search --onlyvisible --name 'Игра по сети' 2>/dev/null | wc -l; }

heard() {  # phrase: waits until the host has begun to say it (at most a minute)
  for _ in $(seq 600); do
    grep -q " sound $1\." "$work/host.marks" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the host never said $1 (see $work/host.log)" >&2
  exit 1
}

# The start's own window (the rules on a first run, the question on a new
# version) is closed with Escape; then the menu says its title and first item.
windows() { DISPLAY=$display xdotool search --onlyvisible --name . 2>/dev/null | wc -l; }
for _ in $(seq 30); do
  grep -q " sound menu0\." "$work/host.marks" 2>/dev/null && break
  if [ "$(windows)" -gt 1 ]; then
    keys "$display" 0 Escape
    sleep 15
  fi
  sleep 1
done
heard menu1
keys "$display" 1.5 Down Down Return Return Home Return
heard yourcode
sleep 3
code=$(sed -n 's/^[0-9]* waiting code //p' "$work/host.marks" | tail -1)
[ -n "$code" ] || { echo "the host is not waiting (see $work/host.log)" >&2; exit 1; }
echo "hosting on port $port with code $code; resident $(resident)"

python3 - "$port" "$code" "$wrong" "$work" <<'PY' &
import os, socket, sys, time
port, code, count, work = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), sys.argv[4]
def hello(c, source):  # wrong codes come from 127.0.0.2, the right one from 127.0.0.1
    s = socket.create_connection(("127.0.0.1", port), timeout=10, source_address=(source, 0))
    s.sendall(f"hello 2 1.0 {c} Гость\n".encode())
    return s
bad = "%04d" % ((int(code) + 1) % 10000)
for _ in range(count):
    s = hello(bad, "127.0.0.2")
    try:
        while s.recv(4096):  # the host says bye and closes
            pass
    except OSError:
        pass
    s.close()
open(os.path.join(work, "wrong-done"), "w").close()
while not os.path.exists(os.path.join(work, "join")):
    time.sleep(0.1)
s = hello(code, "127.0.0.1")
s.settimeout(1)
end = time.time() + 60
while time.time() < end:
    try:
        if not s.recv(4096):
            break
    except socket.timeout:
        pass
    s.sendall(b"ping\n")
PY
pids+=($!)

started=$(date +%s)
while [ ! -e "$work/wrong-done" ]; do sleep 0.5; done
sleep 3
echo "after $wrong wrong codes in $(($(date +%s) - started)) s: resident $(resident), message boxes shown $(boxes)"
touch "$work/join"
heard position  # the board opens and says the start
sleep 2
from=$(date +%s%6N)
keys "$display" 0.8 Left Right Up Up space
sleep 3
echo "message boxes shown $(boxes); the host's marks after its first key:"
awk -v from="$from" '$1 >= from { $1 = sprintf("%+.2f s", ($1 - from) / 1e6); print }' "$work/host.marks"
# The disk driver writes in real time: the last seconds of the file are the keys'.
seconds=$(( ($(date +%s%6N) - from) / 1000000 ))
echo "sound mixed since the first key (sox stat of the last $seconds s):"
sox -t raw -r 44100 -e signed -b 16 -c 2 "$work/host.raw" -n trim "-$seconds" stat 2>&1 |
  grep -E 'Length|RMS +amplitude|Maximum amplitude'
echo "marks, log and sound: $work"
