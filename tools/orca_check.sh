#!/usr/bin/env bash
# What the Orca screen reader says while a player plays Korvel: Orca, the
# AT-SPI registry and a private D-Bus session under Xvfb, the keys typed with
# xdotool, and each utterance counted from Orca's debug log (its "SPEECH
# OUTPUT" lines, which are exactly what it hands to speech-dispatcher). Nothing
# reaches a sound card: Korvel plays through SDL's dummy output, and the speech
# service has no audio device to speak on.
#
#   usage: [NO_BRIDGE=1] tools/orca_check.sh PROGRAM_FOLDER [SCREENREADER]
#     PROGRAM_FOLDER  a built program folder (build-rel/korvel)
#     SCREENREADER    the value written as [Access] screenreader in Korvel.ini
#                     (empty: the key is left out, the program's default)
#     NO_BRIDGE=1     Korvel runs without a session bus: Qt's AT-SPI bridge is
#                     off, as if accessibility were switched off for it
#
# Prints a table: the step, Orca's utterances in it, and of those the ones
# about Korvel's window and widgets (not Orca's own start, key echo or its
# answers to its own commands). The spoken texts are kept in the work folder
# (its path is printed) as steps.txt. Needs: orca, at-spi2-core, xvfb,
# xdotool, dbus-run-session, zenity (another application to switch to).
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  work="$2"
  log="$work/orca.log"
  steps="$work/steps.txt"
  : >"$steps"
  orca -u "$work/orca-prefs" --debug-file "$log" >"$work/orca.out" 2>&1 &
  orca_pid=$!
  for _ in $(seq 1 60); do
    grep -q "SPEECH OUTPUT" "$log" 2>/dev/null && break
    sleep 0.5
  done
  sleep 3
  mark=0
  begin() { step="$1"; mark=$(wc -l <"$log"); }
  finish() {
    local spoken
    sleep 10  # Orca speaks some way (seconds) behind the keys
    spoken="$(tail -n +"$((mark + 1))" "$log" |
      perl -ne "print \"\$1\n\" if /SPEECH OUTPUT: '(.*?)'(?: ?\{| voice=)/" || true)"
    local all=0 korvel=0
    if [ -n "$spoken" ]; then
      all=$(printf '%s\n' "$spoken" | wc -l)
      # Orca's own words: its start, the echo of a key (its name and a space)
      # or a letter, the time it tells on its command, the other window.
      korvel=$(printf '%s\n' "$spoken" |
        grep -a -v -i -E "^(Screen reader on\.|Экранный диктор включён\.?)$" |
        grep -a -v -E "^(.+ |.)$" |
        grep -a -v -E "^[0-9]{1,2}:[0-9]{2}(:[0-9]{2})?( ?(AM|PM))?$" |
        grep -a -v -i -E "zenity|Другое окно" | wc -l || true)
    fi
    printf '%s\t%s\t%s\n' "$step" "$all" "$korvel" >>"$work/table.tsv"
    { echo "== $step"; printf '%s\n' "$spoken"; } >>"$steps"
  }
  keys() {  # keys pressed 1.5 s apart
    for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 1.5; done
  }
  focus_window() {  # the first shown window whose title holds $1
    local id
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)"
    [ -n "$id" ] && xdotool windowfocus "$id" 2>/dev/null || true
  }
  orca_time() {  # Orca's "time" command: its modifier (Insert) with T
    xdotool keydown Insert; sleep 0.2; xdotool key t; sleep 0.2; xdotool keyup Insert; sleep 2
  }

  begin "other window before Korvel (Orca's own)"
  zenity --entry --title="Другое окно" --text="Другое окно" >/dev/null 2>&1 &
  other_pid=$!
  sleep 5
  finish

  begin "start Korvel"
  # NO_BRIDGE=1: Korvel is given no session bus, so Qt's AT-SPI bridge stays off.
  (cd "$work/korvel" && if [ "${NO_BRIDGE:-0}" = 1 ]; then export DBUS_SESSION_BUS_ADDRESS=disabled:; fi &&
    SDL_AUDIODRIVER=dummy ./korvel >"$work/korvel.out" 2>&1) &
  sleep 9
  finish

  begin "menu: three pages"
  # Against the computer, its game type, the start item and the level page.
  keys Down Return Return Down Down Down Return
  sleep 2
  finish

  begin "menu: level chosen, game starts"
  keys Return
  sleep 6
  finish

  begin "a few moves"
  # White at d4 moves to f4; the computer answers; one more try from where it played.
  keys Right Right space
  sleep 8
  keys Left Up space
  sleep 6
  finish

  begin "Orca command in Korvel (Orca+T)"
  orca_time
  finish

  begin "quit question, answered no"
  keys q
  sleep 2
  keys Return  # the first focus is on "Нет"
  sleep 2
  finish

  begin "F1 help, closed"
  keys F1
  sleep 5
  keys Return
  sleep 2
  finish

  begin "F2 save dialog, cancelled"
  keys F2
  sleep 4
  keys Escape
  sleep 3
  finish

  begin "switch to the other window and back"
  focus_window "Другое окно"
  sleep 3
  focus_window "KORVEL"
  sleep 3
  finish

  begin "quit question yes, menu exit item"
  keys q
  sleep 2
  keys Left Return
  sleep 4
  keys Down Down Down Down Return
  sleep 5
  finish

  begin "after Korvel: the other window"
  focus_window "Другое окно"
  sleep 3
  keys a b
  orca_time
  finish

  kill "$other_pid" 2>/dev/null || true
  kill "$orca_pid" 2>/dev/null || true
  wait "$orca_pid" 2>/dev/null || true
  # The speech service Orca started for itself.
  for pid in $(pgrep -f -- "--socket-path $XDG_RUNTIME_DIR/speech-dispatcher/" || true); do
    kill "$pid" 2>/dev/null || true
  done
  exit 0
fi

src="$(cd "${1:?usage: tools/orca_check.sh PROGRAM_FOLDER [SCREENREADER]}" && pwd)"
screenreader="${2:-}"
work="$(mktemp -d /tmp/orca_check.XXXXXX)"
mkdir -p "$work/korvel" "$work/run" "$work/orca-prefs" "$work/config" "$work/data" "$work/cache"
chmod 700 "$work/run"
cp -r "$src"/. "$work/korvel/"
rm -f "$work/korvel/Korvel.ini" "$work/korvel/ReadMe.txt" "$work/korvel/Games"/* 2>/dev/null || true
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
  XDG_CACHE_HOME="$work/cache"
# A first start writes the settings and the rules, so that the measured start
# is an ordinary one (no first-run help window).
(cd "$work/korvel" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy timeout -s TERM 4 ./korvel \
  >/dev/null 2>&1) || true
if [ -n "$screenreader" ]; then
  printf '[Access]\r\nscreenreader=%s\r\n' "$screenreader" >>"$work/korvel/Korvel.ini"
fi

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.out" 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
sleep 2
export DISPLAY="$display"
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
dbus-run-session -- "$0" --inside "$work" 2>"$work/session.err"

echo "work folder: $work"
printf 'step\tOrca utterances\tabout Korvel\n'
cat "$work/table.tsv"
