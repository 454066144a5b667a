#!/usr/bin/env bash
# Measures how a hosting program stands up to a stranger on loopback: guesses
# of the code a second and the chance that they join within an hour; the
# program's resident memory after 2000 guesses; how long an honest guest takes
# to join while the stranger keeps 50 idle connections open (each reopened as
# the host closes it); and what the host said meanwhile.
#
# The program runs under its own Xvfb with SDL's disk driver and KORVEL_TRACE
# (its timing marks give the code it waits with and each phrase it says); the
# menu is walked with xdotool to host a single game. The stranger guesses from
# 127.0.0.2, the honest guest comes from 127.0.0.1.
#
# Usage: scripts/measure-hostile.sh [program folder]
# Needs: Xvfb, xdotool, python3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/korvel}
name=measure-hostile
source "$root/scripts/measure-start.sh"

display=:87
start_side host "$display"
host=$started
sleep 6
keys "$display" 1 Escape
sleep 8
keys "$display" 0.8 Down Down Return Return Home Return
sleep 4
grep -q "waiting code" "$work/host.marks" || { echo "measure-hostile: the host is not waiting (see $work/host.log)" >&2; exit 1; }
pid=$(pgrep -P "$host" -x korvel || echo "$host")

python3 - "$work/host.marks" "$pid" 7717 <<'PY'
import os, socket, sys, threading, time
marks, pid, port = sys.argv[1], sys.argv[2], int(sys.argv[3])

def code():
    return [l.split()[-1] for l in open(marks, encoding="utf-8") if " waiting code " in l][-1]

def rss():
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS"):
            return int(line.split()[1])

def ask(line, source="127.0.0.1", wait=10.0):
    """Connects, sends a line, returns the first line of the answer (or what ended it)."""
    s = socket.socket()
    s.bind((source, 0))
    s.settimeout(wait)
    try:
        s.connect(("127.0.0.1", port))
        s.sendall(line.encode())
        data = b""
        while b"\n" not in data:
            more = s.recv(4096)
            if not more:
                return data.decode(errors="replace") or "closed"
            data += more
        return data.split(b"\n")[0].decode(errors="replace")
    except socket.timeout:
        return "no answer"
    except OSError as error:
        return f"connection ended: {error.strerror}"
    finally:
        s.close()

version = 2 if ask(f"hello 2 1.3.8 {code()} Probe\n".replace(code(), "%04d" % ((int(code()) + 1) % 10000))).startswith("bye 3") else 1
start_mark = int(time.time() * 1_000_000)
print(f"protocol version {version}, code {code()}, port {port}")

# 2000 wrong guesses, one after another from 127.0.0.2, as fast as the host answers.
rss0 = rss()
answers = {}
t0 = time.time()
for i in range(2000):
    guess = "%04d" % ((int(code()) + 1 + i) % 10000)
    if guess == code():
        continue
    a = ask(f"hello {version} 1.3.8 {guess} Stranger\n", "127.0.0.2")
    answers[a] = answers.get(a, 0) + 1
elapsed = time.time() - t0
rss1 = rss()
looked = answers.get("bye 3", 0)
print(f"2000 guesses in {elapsed:.1f} s: {2000 / elapsed:.1f} a second; answers {answers}")
rate = looked / elapsed
print(f"guesses whose code was looked at: {looked}, {rate:.2f} a second")
if version == 1:
    hour = min(1.0, rate * 3600 / 10000)
    print(f"chance of joining within an hour at that rate (the code never changes): {hour:.3f}")
print(f"resident memory: {rss0} KB before, {rss1} KB after the 2000 guesses")

# 50 idle connections, each reopened as soon as the host closes it; then the guest.
stop = False
reopened = [0]
def idle_one():
    while not stop:
        s = socket.socket()
        try:
            s.connect(("127.0.0.1", port))
            s.settimeout(0.2)
            while not stop:
                try:
                    if not s.recv(4096):
                        break
                except socket.timeout:
                    continue
        except OSError:
            time.sleep(0.05)
        finally:
            s.close()
        reopened[0] += 1
threads = [threading.Thread(target=idle_one) for _ in range(50)]
for t in threads:
    t.start()
time.sleep(3)
for attempt in range(1, 4):
    t0 = time.time()
    answer = ask(f"hello {version} 1.3.8 {code()} Guest\n", "127.0.0.1")
    took = time.time() - t0
    print(f"honest guest, try {attempt}: '{answer}' after {took * 1000:.0f} ms")
    if answer.startswith("hello"):
        break
    time.sleep(2)
stop = True
for t in threads:
    t.join()
print(f"idle connections opened again: {reopened[0]}")

heard = {}
for line in open(marks, encoding="utf-8"):
    at, _, what = line.rstrip("\n").partition(" ")
    if int(at) >= start_mark and what.startswith("sound "):
        name = what.split()[1]
        heard[name] = heard.get(name, 0) + 1
print("what the host said meanwhile:", heard or "nothing")
PY
echo "marks and logs: $work"
