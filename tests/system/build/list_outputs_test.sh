#!/usr/bin/env bash
# sangen --list-outputs names exactly the files sangen --out writes, and the simulator's name
# (the study's, with "Sim"), for each description given.
#   list_outputs_test.sh <sangen> <description.yaml>...
set -euo pipefail
sangen=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for yaml in "$@"; do
  out=$work/$(basename "$yaml" .yaml)
  "$sangen" "$yaml" --out "$out"
  "$sangen" --list-outputs "$yaml" >"$out.list"
  listed=$(sed -n 's/^\(source\|header\) //p' "$out.list" | sort)
  written=$(cd "$out" && find . -type f | sed 's|^\./||' | sort)
  if [ "$listed" != "$written" ]; then
    echo "FAIL: $yaml: listed and written files differ"
    diff <(echo "$listed") <(echo "$written") || true
    exit 1
  fi
  study=$(sed -n 's/^study //p' "$out.list")
  grep -qx "simulator ${study}Sim" "$out.list" || { echo "FAIL: $yaml: simulator is not ${study}Sim"; exit 1; }
  # The study's folder is named after it, as the simulator is.
  [ -d "$out/Study/$study" ] || { echo "FAIL: $yaml: no Study/$study/ written"; exit 1; }
done
echo "sangen --list-outputs matches what --out writes for $# descriptions"
