#!/usr/bin/env bash
# Times the network game between two programs on this machine, over loopback,
# as players hear it: from a move key on one side to the first mixed sample of
# the move's announcement on the other, against the local figure (an arrow key
# to the first sample of the cell said on the same side).
#
# Each program runs under its own Xvfb with SDL's disk driver and its own home,
# with KORVEL_TRACE set, which makes it write timing marks (a key taken, a
# sound's first samples mixed) against the system clock that both share. The
# keys are pressed with xdotool: the host creates a single game, the guest
# joins 127.0.0.1 with the code the host drew, and they play turn about.
#
# Usage: scripts/measure-latency.sh [program folder] [moves]
# Needs: Xvfb, xdotool, python3 (apt install xvfb xdotool python3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/korvel}
moves=${2:-22}
name=measure-latency
source "$root/scripts/measure-start.sh"

start_side host :71
start_side guest :72
sleep 6
keys :71 1 Escape   # the first run's help window
keys :72 1 Escape
sleep 8             # the greeting and the menu's title
keys :71 0.8 Down Down Return Return Home Return
sleep 4
code=$(sed -n 's/^[0-9]* waiting code //p' "$work/host.marks" | tail -1)
[ -n "$code" ] || { echo "measure-latency: the host is not waiting (see $work/host.log)" >&2; exit 1; }
keys :72 0.8 Down Down Return Down Return
keys :72 0.2 $(printf 'BackSpace %.0s' $(seq 24))
keys :72 0.5 1 2 7 period 0 period 0 period 1 Return
keys :72 0.5 $(echo "$code" | sed 's/./& /g')
sleep 12            # both boards come up and say the start

# The moves: the middle one of the legal cells in reading order (a long game
# without passes), the cursor walked there
# from where each side's cursor stands (the last move played, D4 at first).
python3 - "$moves" >"$work/plan" <<'PY'
import sys
board = {(4, 4): 1, (5, 5): 1, (5, 4): 2, (4, 5): 2}
def flips(c, r, p):
    out = []
    for dc in (-1, 0, 1):
        for dr in (-1, 0, 1):
            if dc == dr == 0:
                continue
            line, x, y = [], c + dc, r + dr
            while board.get((x, y)) == 3 - p:
                line.append((x, y)); x += dc; y += dr
            if line and board.get((x, y)) == p:
                out += line
    return out
cursor, player = (4, 4), 1
for _ in range(int(sys.argv[1])):
    cells = [(c, r) for r in range(8, 0, -1) for c in range(1, 9)
             if (c, r) not in board and flips(c, r, player)]
    if not cells:
        break
    c, r = cells[len(cells) // 2]
    walk = ["Right" if c > cursor[0] else "Left"] * abs(c - cursor[0])
    walk += ["Up" if r > cursor[1] else "Down"] * abs(r - cursor[1])
    for x in flips(c, r, player) + [(c, r)]:
        board[x] = player
    print("host" if player == 1 else "guest", " ".join(walk))
    cursor, player = (c, r), 3 - player
PY
while read -r side walk; do
  display=$([ "$side" = host ] && echo :71 || echo :72)
  [ -z "$walk" ] || keys "$display" 0.7 $walk
  keys "$display" 5 space
done <"$work/plan"

python3 - "$work/host.marks" "$work/guest.marks" <<'PY'
import statistics, sys
def read(path):
    marks = []
    for line in open(path, encoding="utf-8"):
        at, _, what = line.rstrip("\n").partition(" ")
        kind, _, name = what.partition(" ")
        marks.append((int(at), kind, name))
    return marks
sides = {"host": read(sys.argv[1]), "guest": read(sys.argv[2])}
def first_after(marks, at, kind):
    return next(((t, n) for t, k, n in marks if k == kind and t > at), None)
remote, local, click, heard = [], [], [], []
for side, other in (("host", "guest"), ("guest", "host")):
    for at, kind, name in sides[side]:
        if kind != "key":
            continue
        if name == "Space":
            sound = first_after(sides[other], at, "sound")
            effect = first_after(sides[side], at, "effect")
            if sound:
                remote.append((sound[0] - at) / 1000)
                heard.append(f"{side} Space -> {other} {sound[1]} {(sound[0] - at) / 1000:.1f} ms")
            if effect:
                click.append((effect[0] - at) / 1000)
        elif name in ("Up", "Down", "Left", "Right"):
            sound = first_after(sides[side], at, "sound")
            if sound:
                local.append((sound[0] - at) / 1000)
print("\n".join(heard))
def line(label, values):
    values = values[:20]
    if values:
        print(f"{label}: median {statistics.median(values):.1f} ms over {len(values)}"
              f" (min {min(values):.1f}, max {max(values):.1f})")
line("move key -> the other side's announcement", remote)
line("arrow key -> the cell said on the same side", local)
line("move key -> the disc's click on the same side", click)
if remote and local:
    print(f"beyond the local figure: {statistics.median(remote[:20]) - statistics.median(local[:20]):.1f} ms")
PY
echo "marks and logs: $work"
