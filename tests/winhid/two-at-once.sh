#!/usr/bin/env bash
# two-at-once.sh VEXARO_ON_STANDIN [ROUNDS]: two vexaro.exe at once on one stand-in device, which
# hands every input report to every handle, as Windows does: each prints what one alone prints.
set -euo pipefail
vexaro=$1
rounds=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$vexaro" --simulate peek 0 29 >"$work/alone"
[ "$(wc -l <"$work/alone")" -eq 29 ] || fail "peek 0 29 alone printed $(wc -l <"$work/alone") lines"
cat "$work/alone" "$work/alone" >"$work/expected"
for round in $(seq 1 "$rounds"); do
  "$vexaro" --at-once=2 --simulate peek 0 29 >"$work/both" || fail "round $round: exit status $?"
  cmp -s "$work/both" "$work/expected" ||
    fail "round $round: the two printed other bytes: $(diff "$work/expected" "$work/both" | head -5)"
done
echo "$rounds rounds of two vexaro.exe at once: each read the right bytes"
