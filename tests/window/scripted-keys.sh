#!/usr/bin/env bash
# scripted-keys.sh PROGRAM EXPECTED [SCREENSHOT.png]: runs the window program PROGRAM (a command) on
# the simulated device with a new memory file (the factory memory), on the X display of $DISPLAY,
# as a user would: the Turn-on Position becomes 55 % (a click into its field, the keys), Send
# (Alt+S), Exit (Alt+X). The memory the program leaves must equal EXPECTED byte for byte.
# SCREENSHOT, when given, is the window as it shows once the settings are read.
set -euo pipefail
program=$1
expected=$2
screenshot=${3:-}

work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
$program --trace --simulate="$work/memory.txt" >"$work/out.txt" 2>&1 &
pid=$!
fail() { cat "$work/out.txt" >&2; echo "$*" >&2; exit 1; }

# Runs the command every half second until it succeeds, for at most two minutes, while the
# program runs (or, with --end, until the program has ended).
until_true() {
  local end=0
  [ "$1" = --end ] && { end=1; shift; }
  for _ in $(seq 240); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || return $((1 - end))
    sleep 0.5
  done
  return 1
}
window() { window=$(xdotool search --name '^Vexaro  -  Version' 2>/dev/null | head -n 1) && [ -n "$window" ]; }
# The last report sent is the device's poll (73h): the settings read, or a Send, is over.
polled() { [ "$(grep '^hid> 00 \(54\|46\|73\) ' "$work/out.txt" | tail -n 1 | cut -c9-10)" = 73 ]; }
polled_after_store() { grep -q '^hid> 00 54 ' "$work/out.txt" && polled; }

until_true window || fail "no window"
until_true polled || fail "the settings were not read"
if [ -n "$screenshot" ]; then
  xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$screenshot"
fi
# The field right of ">" on the Settings page, at the same place on every system (the layout is
# in pixels): select what it holds, type the new value, leave it, Send. X delivers the keys in order.
xdotool mousemove --window "$window" 282 94 click 1
xdotool key ctrl+a
xdotool type --delay 100 55
xdotool key Tab alt+s
until_true polled_after_store || fail "Alt+S sent nothing"
xdotool key alt+x
until_true --end false || fail "the window did not close on Alt+X"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with $status"
if ! cmp -s "$work/memory.txt" "$expected"; then
  echo "the memory differs from $expected:" >&2
  diff "$expected" "$work/memory.txt" >&2 || true
  exit 1
fi
echo "the memory is the expected one"
