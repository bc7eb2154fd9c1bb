#!/usr/bin/env bash
# sangen --list-outputs names exactly the files sangen --out writes, and the simulator's name
# (the study's, with "Sim"), for each description given; after them, one 'input PATH' line per
# file the description is read from (the description itself, then its submodels' files, each once).
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
  [ "$(tail -n 1 "$out.list")" = "input $yaml" ] || { echo "FAIL: $yaml: not listed as the last line, an input"; exit 1; }
done
# Submodels in files of their own, one file named twice: listed after the description, once each.
mkdir "$work/pool"
cat >"$work/pool/pool.yaml" <<'YAML'
model: Pool
submodels: {A: cells/cell.yaml, B: cells/cell.yaml, C: other.yaml}
compose: {join: J, of: [{submodel: A}, {submodel: B}, {submodel: C}]}
YAML
mkdir "$work/pool/cells"
echo "places: {Up: 1}
activities: [{name: T, delay: Exponential, parameters: [1], input: {Up: 1}}]" >"$work/pool/cells/cell.yaml"
cp "$work/pool/cells/cell.yaml" "$work/pool/other.yaml"
"$sangen" --list-outputs "$work/pool/pool.yaml" >"$work/pool.list"
inputs=$(sed -n 's/^input //p' "$work/pool.list")
expected="$work/pool/pool.yaml
$work/pool/cells/cell.yaml
$work/pool/other.yaml"
[ "$inputs" = "$expected" ] || { echo "FAIL: the inputs of pool.yaml are"; echo "$inputs"; exit 1; }
# The input lines come last: scripts that read the earlier lines see them as before.
sed -n '/^input /,$p' "$work/pool.list" | grep -qv '^input ' && { echo "FAIL: a line after the inputs"; exit 1; }
echo "sangen --list-outputs matches what --out writes for $# descriptions"
