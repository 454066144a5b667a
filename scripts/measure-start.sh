# The measuring scripts' shared start-up, sourced after `name` and `program`
# are set: the tools and the program are checked, $work is made, and whatever
# was started is stopped on the way out.
#   start_side SIDE DISPLAY: copies the program to $work/SIDE (a Korvel.ini in
#     $work/SIDE.ini goes with it), starts Xvfb on DISPLAY and the program on it
#     with SDL's disk driver ($work/SIDE.raw) and its timing marks
#     ($work/SIDE.marks); the program's process number is left in $started.
#     No session bus is offered: an absent one must not hold up the start.
#   keys DISPLAY PAUSE KEY...: presses the keys, PAUSE seconds apart.
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "$name: $tool is missing" >&2; exit 1; }
done
[ -x "$program/korvel" ] || { echo "$name: no program at $program (scripts/run.sh builds it there)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
finish() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap finish EXIT

start_side() {
  local side=$1 display=$2
  cp -r "$program" "$work/$side"
  [ ! -f "$work/$side.ini" ] || cp "$work/$side.ini" "$work/$side/Korvel.ini"
  mkdir -p "$work/home-$side" "$work/run-$side"
  chmod 700 "$work/run-$side"
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  (cd "$work/$side" && DISPLAY=$display HOME=$work/home-$side XDG_RUNTIME_DIR=$work/run-$side \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/$side.raw KORVEL_TRACE=$work/$side.marks \
    exec ./korvel >"$work/$side.log" 2>&1) &
  started=$!
  pids+=($started)
}

keys() {
  local display=$1 pause=$2
  shift 2
  for key in "$@"; do
    DISPLAY=$display xdotool key "$key"
    sleep "$pause"
  done
}
