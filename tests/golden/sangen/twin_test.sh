#!/usr/bin/env bash
# The carried model's simulator and its twin generated from gpu_twin.yaml must write the same
# bytes: ASCII and binary result files under all three generators, and the same text trace once
# CPU times (which vary by nature) are masked.
set -euo pipefail
hand=$1
twin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
for r in 0 1 2; do
  "$hand" -N 1000 -r $r -a hand.csv -b hand.bin >/dev/null 2>hand.err
  "$twin" -N 1000 -r $r -a twin.csv -b twin.bin >/dev/null 2>twin.err
  for f in csv bin err; do
    if ! cmp -s hand.$f twin.$f; then
      echo "generator $r: the .$f outputs differ"
      [ $f = bin ] && diff <(xxd hand.bin) <(xxd twin.bin) | head -20
      [ $f != bin ] && diff hand.$f twin.$f | head -20
      fail=1
    fi
  done
done
# Times measured by the process and the file names given on the command line are masked.
mask() { sed -E -e 's/(CPU time \(s\)|Time)[:=] ?[0-9.e+-]+/\1=T/g'; }
"$hand" -N 3 -m -l 3 2>&1 | mask >hand.trace
"$twin" -N 3 -m -l 3 2>&1 | mask >twin.trace
if ! cmp -s hand.trace twin.trace; then
  echo "the text traces differ"
  diff hand.trace twin.trace | head -40
  fail=1
fi
[ $(wc -l <hand.trace) -gt 20 ] || { echo "trace unexpectedly short"; fail=1; }
exit $fail
