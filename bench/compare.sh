#!/usr/bin/env bash
# Prints the rows that bench/run.sh measured in several build trees side by side: for each tree
# the ratio of our cost to the floor's (lower is better), and the change against the first tree.
#
#   bash bench/compare.sh LABEL=BUILD_DIR [LABEL=BUILD_DIR ...]
#
# Each BUILD_DIR must have been measured by bench/run.sh (its bench-run/summary.tsv).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
labels=()
files=()
for arg in "$@"; do
  label="${arg%%=*}"
  dir="${arg#*=}"
  case "$dir" in /*) ;; *) dir="$ROOT/$dir" ;; esac
  if [ ! -f "$dir/bench-run/summary.tsv" ]; then
    echo "compare: $dir/bench-run/summary.tsv is missing; run bash bench/run.sh $dir first" >&2
    exit 1
  fi
  labels+=("$label")
  files+=("$dir/bench-run/summary.tsv")
done
python3 - "${labels[@]}" -- "${files[@]}" <<'PY'
import sys
args = sys.argv[1:]
cut = args.index("--")
labels, files = args[:cut], args[cut + 1:]
tables = []
for f in files:
    rows = {}
    order = []
    for line in open(f):
        work, ours, floor, ratio, target, rss = line.rstrip("\n").split("\t")
        rows[work] = (ours, ratio, target)
        order.append(work)
    tables.append((rows, order))
head = f"{'work':44}" + "".join(f"|{l + ' ours':>16}|{'ratio':>7}" for l in labels) + f"|{'target':>8}"
print(head)
print("-" * len(head))
for work in tables[0][1]:
    cells = []
    base = None
    target = "-"
    for rows, _ in tables:
        ours, ratio, tgt = rows.get(work, ("-", "-", "-"))
        target = tgt if tgt != "-" else target
        cells.append(f"|{ours:>16}|{ratio:>7}")
    print(f"{work:44}" + "".join(cells) + f"|{target:>8}")
print()
print("ratio: our cost over the floor's on the same work (SimPy row: over SimPy's); lower is better.")
PY
