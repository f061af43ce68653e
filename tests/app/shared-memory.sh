#!/usr/bin/env bash
# shared-memory.sh VEXARO [ROUNDS] [AT_ONCE]: AT_ONCE `vexaro poke` runs at once on one new
# simulated memory file, each storing its own address, ROUNDS times; then every store must be in
# the file. Prints the rounds run, the stores lost though their run exited 0, and the runs that
# failed; fails on either.
set -euo pipefail
vexaro=$1
rounds=${2:-20}
at_once=${3:-4}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work  # the locks' files, removed with it

lost=0
failed=0
for round in $(seq 1 "$rounds"); do
  file=$work/memory-$round.txt
  pids=()
  for i in $(seq 1 "$at_once"); do
    "$vexaro" --simulate="$file" poke $((39 + i)) $((i * 16 + 1)) 2>"$work/err-$i" &
    pids+=($!)
  done
  statuses=()
  for pid in "${pids[@]}"; do
    status=0
    wait "$pid" || status=$?
    statuses+=("$status")
  done
  for i in $(seq 1 "$at_once"); do
    if [ "${statuses[$((i - 1))]}" -ne 0 ]; then
      failed=$((failed + 1))
      echo "round $round: poke $i exited ${statuses[$((i - 1))]}: $(cat "$work/err-$i")" >&2
    elif ! "$vexaro" --simulate="$file" peek $((39 + i)) | grep -qx "$((39 + i)): $((i * 16 + 1))"
    then
      lost=$((lost + 1))
    fi
  done
done
echo "$rounds rounds of $at_once programs on one memory file: $lost stores lost with exit 0," \
  "$failed runs failed"
[ "$lost" -eq 0 ] && [ "$failed" -eq 0 ]
