#!/usr/bin/env bash
# same-as-host.sh HOST_VEXARO OTHER_VEXARO DATA_DIR: runs the same commands through two builds of
# vexaro (the build machine's, and one for another system such as Windows under Wine), each on its
# own simulated device memory file, and checks that both exit alike, print the same (line ends
# aside) and leave the same memory file behind.
set -euo pipefail
host=$1
other=$2
data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# File names with letters beyond ASCII and spaces: the ring tone and the memory file itself.
tune="Für Elise – zwei Töne.txt"
memory="Speicher ü.txt"
for side in host other; do
  mkdir "$work/$side"
  cp "$data/two-notes.txt" "$work/$side/$tune"
done

# same NAME STATUS ARGS...: `vexaro --simulate=MEMORY ARGS` in each side's folder, so that relative
# file names are the same text on both sides.
checks=0
same() {
  local name=$1 status=$2
  shift 2
  local side program
  for side in host other; do
    program=$host
    [ "$side" = other ] && program=$other
    (
      cd "$work/$side"
      set +e
      "$program" --simulate="$memory" "$@" >out.raw 2>err.raw
      echo $? >status
      tr -d '\r' <out.raw >out
      # Device paths in the trace differ between platforms; the reports must not.
      tr -d '\r' <err.raw |
        sed -E 's/^hid: (open|close) .*/hid: \1 DEVICE/; s/^hid: .* report lengths:/hid: DEVICE report lengths:/' >err
    )
  done
  [ "$(cat "$work/host/status")" = "$status" ] ||
    fail "$name: the build machine's vexaro exited $(cat "$work/host/status"), not $status: $(cat "$work/host/err")"
  local file
  for file in status out err "$memory"; do
    if ! cmp -s "$work/host/$file" "$work/other/$file"; then
      diff -u "$work/host/$file" "$work/other/$file" >&2 || true
      fail "$name: $file differs"
    fi
  done
  checks=$((checks + 1))
}

same "read makes the memory file" 0 read
same "read --json" 0 read --json
for side in host other; do cp "$work/$side/out" "$work/$side/backup.json"; done
same "set" 0 set beep-frequency=2000 turn-on=55 "zero-output=10-beeps" beep-duration=0,3
same "set refused by the entry check" 2 set beep-frequency=6000
same "set --from the backup" 0 set --from backup.json
same "load a ring tone" 0 --trace load "$tune"
same "parse a ring tone" 0 parse --raise-octave "$tune"
same "load a missing file" 2 load "Nicht dä.txt"
same "trim stored" 0 --trace trim -5
same "adc" 0 adc

# No Vexaro is plugged in on a build machine: list says so in one sentence. (A machine with one
# plugged in lists it.)
set +e
"$other" list >"$work/out" 2>"$work/err"
status=$?
set -e
case $status in
  1) grep -qx 'vexaro: no Vexaro found (vendor 04d8, product 47a1).' "$work/err" ||
       fail "list without a device: $(cat "$work/err")" ;;
  0) grep -qv ': ' "$work/out" && fail "list printed: $(cat "$work/out")" ;;
  *) fail "list exited $status: $(cat "$work/err")" ;;
esac
echo "same-as-host: $checks commands alike, list answered $status"
