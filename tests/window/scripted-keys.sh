#!/usr/bin/env bash
# scripted-keys.sh PROGRAM MEMORY EXPECTED [SCREENSHOT.png]: runs the window program PROGRAM (a
# command) on the simulated device with a copy of the memory file MEMORY, on the X display of
# $DISPLAY, as a user would: the Turn-on Position becomes 55 % (a click into its field, the
# keys), Send (Alt+S), Exit (Alt+X). The memory the program leaves must equal EXPECTED byte for
# byte. SCREENSHOT, when given, is the window as it shows once the settings are read.
set -euo pipefail
program=$1
memory=$2
expected=$3
screenshot=${4:-}

work=$(mktemp -d)
pid=
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp "$memory" "$work/memory.txt"

$program --trace --simulate="$work/memory.txt" >"$work/out.txt" 2>&1 &
pid=$!

window=
for _ in $(seq 240); do
  window=$(xdotool search --name '^Vexaro  -  Version' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/out.txt" >&2; echo "the program ended early" >&2; exit 1; }
  sleep 0.5
done
[ -n "$window" ] || { echo "no window within 120 s" >&2; exit 1; }
# The settings are read right after the window shows; the first poll of the device (command 73h
# in the trace) comes once they are in the window's fields.
for _ in $(seq 240); do
  grep -q '^hid> 00 73 ' "$work/out.txt" && break
  sleep 0.5
done
grep -q '^hid> 00 73 ' "$work/out.txt" || { echo "the settings were not read within 120 s" >&2; exit 1; }
sleep 1
if [ -n "$screenshot" ]; then
  xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$screenshot"
fi

# The field right of ">" on the Settings page, at the same place on every system (the layout is
# in pixels): select what it holds, type the new value, leave it.
xdotool mousemove --window "$window" 282 94 click 1
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 100 55
xdotool key Tab
sleep 1
xdotool key alt+s
# Sent once the device has been polled again after the last store command (54h).
sent=
for _ in $(seq 240); do
  last_store=$(grep -n '^hid> 00 54 ' "$work/out.txt" | tail -n 1 | cut -d: -f1 || true)
  last_poll=$(grep -n '^hid> 00 73 ' "$work/out.txt" | tail -n 1 | cut -d: -f1 || true)
  if [ -n "$last_store" ] && [ "${last_poll:-0}" -gt "$last_store" ]; then
    sent=1
    break
  fi
  sleep 0.5
done
[ -n "$sent" ] || { echo "Alt+S sent nothing within 120 s" >&2; exit 1; }
xdotool key alt+x

status=0
for _ in $(seq 120); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.5
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the window did not close on Alt+X" >&2
  exit 1
fi
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { cat "$work/out.txt" >&2; echo "the program ended with $status" >&2; exit 1; }
if ! cmp -s "$work/memory.txt" "$expected"; then
  echo "the memory differs from $expected:" >&2
  diff "$expected" "$work/memory.txt" >&2 || true
  exit 1
fi
echo "the memory is the expected one"
