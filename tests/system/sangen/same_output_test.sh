#!/bin/bash
# Two builds of the generator against each other: for every description given, both write the same
# files byte for byte (or refuse it with the same message), draw the same net, and list the same
# outputs (the newer one may add 'input PATH' lines after them). Used when the generator is
# reorganised: build the older one into a scratch folder and run
#   same_output_test.sh OLD/sangen build/bin/sangen $(git ls-files '*.yaml')
set -u
old=$1 new=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0 compared=0
for description in "$@"; do
  # The same folder for both: #line directives name the generated files.
  rm -rf "$work/old" "$work/new" "$work/out"
  "$old" "$description" --out "$work/out" >"$work/old.out" 2>"$work/old.err"
  oldCode=$?
  [ -d "$work/out" ] && mv "$work/out" "$work/old"
  "$new" "$description" --out "$work/out" >"$work/new.out" 2>"$work/new.err"
  newCode=$?
  [ -d "$work/out" ] && mv "$work/out" "$work/new"
  if [ $oldCode != $newCode ] || ! cmp -s "$work/old.err" "$work/new.err"; then
    echo "DIFFERENT refusal or warnings for $description:"
    diff "$work/old.err" "$work/new.err" | head -5
    failed=1
  elif [ $oldCode = 0 ] && ! diff -r "$work/old" "$work/new" >"$work/diff"; then
    echo "DIFFERENT files for $description:"
    head -20 "$work/diff"
    failed=1
  fi
  if [ $oldCode = 0 ]; then
    "$old" --dot "$description" >"$work/old.dot" 2>/dev/null
    "$new" --dot "$description" >"$work/new.dot" 2>/dev/null
    cmp -s "$work/old.dot" "$work/new.dot" || { echo "DIFFERENT drawing for $description"; failed=1; }
    "$old" --list-outputs "$description" >"$work/old.list" 2>/dev/null
    "$new" --list-outputs "$description" 2>/dev/null | grep -v '^input ' >"$work/new.list"
    cmp -s "$work/old.list" "$work/new.list" || { echo "DIFFERENT listing for $description"; failed=1; }
  fi
  compared=$((compared + 1))
done
echo "compared $compared descriptions"
exit $failed
