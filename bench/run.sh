#!/usr/bin/env bash
# Runs the simulators of a built tree against the hand-written floor programs (bench/floor/, built
# in the same tree with the same flags) on the same work and prints one table of costs and of
# ratios (ours / floor), with a row for a peer library in Python where one is installed.
#
#   bash bench/run.sh [BUILD_DIR]        (default: build-release; relative to the repository root)
#
# Environment: BENCH_REPEAT (default 3) runs of each measurement, the lowest CPU time kept;
# BENCH_BANK_REPEAT (default 3) the same for the bank rows, which take longest.
# BENCH_PEER_EVENTS (default 1000000) events for the peer row; BENCH_PYTHON the interpreter that
# has the peer's package (default: the first of /usr/bin/python3 and python3 that imports it).
# CPU times are user + system time of the child process (getrusage), peak memory its max RSS.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-build-release}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
BIN="$BUILD/bin"
FLOOR="$BUILD/bench"
WORK="$BUILD/bench-run"
REPEAT="${BENCH_REPEAT:-3}"
BANK_REPEAT="${BENCH_BANK_REPEAT:-3}"
PEER_EVENTS="${BENCH_PEER_EVENTS:-1000000}"

for prog in floor_gpu floor_mm1 cpurun; do
  if [ ! -x "$FLOOR/$prog" ]; then
    echo "bench: $FLOOR/$prog is missing; build the tree with -DKAVRIN_BENCH=ON first (make bench does)" >&2
    exit 1
  fi
done
if [ ! -x "$BIN/GPUS_STUDYSim" ]; then
  echo "bench: $BIN/GPUS_STUDYSim is missing; build the tree first (make bench does)" >&2
  exit 1
fi

mkdir -p "$WORK"
cd "$WORK"
ln -sf "$FLOOR/floor_gpu" "$FLOOR/floor_mm1" "$FLOOR/cpurun" .

# measure REPEAT LOG CMD...: runs CMD REPEAT times (output to LOG, of the fastest run) and sets
# CPU (seconds) and RSS (kB) of the fastest run.
measure() {
  local repeat="$1" log="$2"
  shift 2
  CPU=""
  RSS=""
  local i
  for ((i = 0; i < repeat; i++)); do
    if ! ./cpurun "$log.try" "$@" >"$log.out" 2>&1; then
      echo "bench: failed: $* (see $log.out)" >&2
      exit 1
    fi
    local c r
    read -r c r _ <"$log.try"
    if [ -z "$CPU" ] || awk -v a="$c" -v b="$CPU" 'BEGIN { exit !(a < b) }'; then
      CPU="$c"
      RSS="$r"
      cp "$log.out" "$log"
    fi
  done
}

# Figures a simulator prints at its end.
fired_of() { sed -n 's/^Actions fired: //p' "$1" | tail -1; }
runcpu_of() { sed -n 's/^CPU time (s): //p' "$1" | tail -1; }
calc() { awk "BEGIN { printf \"$1\", $2 }"; }

ROWS=()
# Every row also goes, tab-separated, into summary.tsv for bench/compare.sh.
: >summary.tsv
row() {
  ROWS+=("$(printf '%-44s|%14s|%14s|%9s|%11s|%9s' "$@")")
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>summary.tsv
}

# ---------------------------------------------------------------- carried model
N=1000000
measure "$REPEAT" gpu_a.log "$BIN/GPUS_STUDYSim" -N $N -a gpu_out.csv
gpu_a=$CPU
gpu_a_rss=$RSS
measure "$REPEAT" tgpu_a.log ./floor_gpu -N $N -a floor_out.csv
tgpu_a=$CPU
measure "$REPEAT" gpu.log "$BIN/GPUS_STUDYSim" -N $N
gpu=$CPU
gpu_rss=$RSS
measure "$REPEAT" tgpu.log ./floor_gpu -N $N
tgpu=$CPU
row "carried model -N 1000000 -a out.csv" "$(calc '%.0f rep/s' "$N/$gpu_a")" "$(calc '%.0f rep/s' "$N/$tgpu_a")" \
    "$(calc '%.2f' "$gpu_a/$tgpu_a")" "<= 1.4" "$gpu_a_rss"
row "carried model -N 1000000" "$(calc '%.0f rep/s' "$N/$gpu")" "$(calc '%.0f rep/s' "$N/$tgpu")" \
    "$(calc '%.2f' "$gpu/$tgpu")" "<= 3" "$gpu_rss"

measure "$REPEAT" gpu_1.log "$BIN/GPUS_STUDYSim" -N 1
row "carried model start-up -N 1" "$(calc '%.1f ms' "$CPU*1000")" "-" "-" "< 20 ms" "$RSS"

# ---------------------------------------------------------------- MM1, rho = 0.9, steady state
MM1_EVENTS=10000000
measure "$REPEAT" tmm1.log ./floor_mm1 -E $MM1_EVENTS
tmm1_ns=$(calc '%.3f' "$CPU*1e9/$MM1_EVENTS")
if [ -x "$BIN/MM1_STUDYSim" ]; then
  # A batch of 1,000 time units holds about 1,800 firings.
  measure "$REPEAT" mm1.log "$BIN/MM1_STUDYSim" -t 0 -e 2 -N 5500
  mm1_rss=$RSS
  mm1_ns=$(calc '%.3f' "$(runcpu_of mm1.log)*1e9/$(fired_of mm1.log)")
  row "MM1 rho=0.9 steady state (per event)" "$(calc '%.0f ev/s' "1e9/$mm1_ns")" "$(calc '%.0f ev/s' "1e9/$tmm1_ns")" \
      "$(calc '%.2f' "$mm1_ns/$tmm1_ns")" "<= 1.3" "$mm1_rss"
else
  row "MM1 rho=0.9 steady state (per event)" "not built" "$(calc '%.0f ev/s' "1e9/$tmm1_ns")" "-" "<= 1.3" "-"
fi

# ---------------------------------------------------------------- a peer library, same M/M/1 work
PY=""
for cand in "${BENCH_PYTHON:-}" /usr/bin/python3 python3; do
  if [ -n "$cand" ] && command -v "$cand" >/dev/null 2>&1 && "$cand" -c 'import simpy' 2>/dev/null; then
    PY="$cand"
    break
  fi
done
PEER_NOTE=""
if [ -n "$PY" ] && [ -n "${mm1_ns:-}" ]; then
  measure 1 peer.log "$PY" "$ROOT/bench/peer/mm1_simpy.py" "$PEER_EVENTS"
  peer_ns=$(calc '%.3f' "$(sed -n 's/^events \([0-9]*\) cpu \([0-9.]*\).*/\2/p' peer.log)*1e9/$(sed -n 's/^events \([0-9]*\) .*/\1/p' peer.log)")
  row "MM1 rho=0.9 in SimPy (per event)" "$(calc '%.0f ev/s' "1e9/$mm1_ns")" "$(calc '%.0f ev/s' "1e9/$peer_ns")" \
      "$(calc '%.4f' "$mm1_ns/$peer_ns")" "-" "$RSS"
  PEER_NOTE="SimPy row: the floor column holds SimPy itself, on $PEER_EVENTS events; our simulator is $(calc '%.0f' "$peer_ns/$mm1_ns") times as fast."
else
  PEER_NOTE="SimPy row skipped: no Python with the simpy package (apt-get install python3-simpy3)."
fi

# ---------------------------------------------------------------- bank of timed activities
BANK_ROWS=()
if [ -x "$BIN/BANK_STUDYSim" ]; then
  base_ns=""
  base_tns=""
  exp=0
  for acts in 10 1000 100000; do
    K=$((acts / 2))
    measure "$BANK_REPEAT" "tbank$acts.log" ./floor_mm1 -E 1e7 -K $K
    t_ns=$(calc '%.3f' "$CPU*1e9/1e7")
    t_rss=$RSS
    # About ten batches of a million firings each; the first is the warm-up.
    measure "$BANK_REPEAT" "bank$acts.log" "$BIN/BANK_STUDYSim" -t 0 -e $exp -N 9
    run=$(runcpu_of "bank$acts.log")
    ns=$(calc '%.3f' "$run*1e9/$(fired_of "bank$acts.log")")
    start_ms=$(calc '%.0f' "($CPU-$run)*1000")
    [ -z "$base_ns" ] && base_ns=$ns && base_tns=$t_ns && base_rss=$RSS
    last_ns=$ns
    last_rss=$RSS
    last_start=$start_ms
    row "bank of $acts timed activities (per event)" "$(calc '%.1f ns' "$ns")" "$(calc '%.1f ns' "$t_ns")" \
        "$(calc '%.2f' "$ns/$t_ns")" "-" "$RSS"
    BANK_ROWS+=("$(printf '%8s activities: ours %7.1f ns/event (x%5.2f of 10), floor %6.1f ns (x%5.2f); peak RSS ours %7d kB, floor %6d kB; start-up %s ms' \
      "$acts" "$ns" "$(calc '%.4f' "$ns/$base_ns")" "$t_ns" "$(calc '%.4f' "$t_ns/$base_tns")" "$RSS" "$t_rss" "$start_ms")")
    exp=$((exp + 1))
  done
else
  row "bank of timed activities" "not built" "-" "-" "-" "-"
fi

# ---------------------------------------------------------------- replicate of a submodel
# One ten-activity cell, and 10,000 copies of it sharing one place (bench/models/REPLICA): the cost
# per event with 10,000 copies against one copy (the run's own CPU time per firing, the median of
# BENCH_BANK_REPEAT ratios of runs taken in turn, one copy then many), memory per activity added (peak
# RSS growth over the 99,990 activities added), the generator's time on the large description and
# the compiler's on what it generates (the model's one translation unit, with the flags the build
# gives it, without the compiler cache).
REPLICA_ROWS=()
if [ -x "$BIN/REPLICA1_Sim" ] && [ -x "$BIN/REPLICA10000_Sim" ]; then
  ratios=()
  ones=()
  manys=()
  for ((k = 0; k < BANK_REPEAT; k++)); do
    measure 1 replica1.log "$BIN/REPLICA1_Sim" -t 0 -N 9
    one_ns=$(calc '%.3f' "$(runcpu_of replica1.log)*1e9/$(fired_of replica1.log)")
    one_rss=$RSS
    measure 1 replica10000.log "$BIN/REPLICA10000_Sim" -t 0 -N 9
    many_run=$(runcpu_of replica10000.log)
    many_ns=$(calc '%.3f' "$many_run*1e9/$(fired_of replica10000.log)")
    many_start=$(calc '%.0f' "($CPU-$many_run)*1000")
    many_rss=$RSS
    ones+=("$one_ns")
    manys+=("$many_ns")
    ratios+=("$(calc '%.4f' "$many_ns/$one_ns")")
  done
  median_of() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
  ratio=$(median_of "${ratios[@]}")
  one_ns=$(median_of "${ones[@]}")
  many_ns=$(median_of "${manys[@]}")
  row "replicate 10000 x 10 activities (per event)" "$(calc '%.1f ns' "$many_ns")" \
      "$(calc '%.1f ns' "$one_ns")" "$(calc '%.2f' "$ratio")" "<= 4" "$many_rss"
  measure "$REPEAT" replica_gen.log "$BIN/sangen" "$BUILD/bench/models/REPLICA/replica10000.yaml" --out replica_gen
  gen_s=$CPU
  flags="$BUILD/bench/models/REPLICA/CMakeFiles/REPLICA10000_Sim_model.dir/flags.make"
  unit="$BUILD/generated/REPLICA10000_Sim/KavrinModel.cpp"
  compile_s="-"
  if [ -f "$flags" ] && [ -f "$unit" ]; then
    cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:FILEPATH=//p' "$BUILD/CMakeCache.txt")
    # shellcheck disable=SC2046 # the flags are words
    measure 1 replica_cc.log "${cxx:-c++}" $(sed -n 's/^CXX_DEFINES = //p; s/^CXX_INCLUDES = //p; s/^CXX_FLAGS = //p' "$flags") \
      -c "$unit" -o replica_cc.o
    compile_s=$(calc '%.2f' "$CPU")
  fi
  per_act=$(calc '%.0f' "($many_rss-$one_rss)*1024/99990")
  REPLICA_ROWS+=("$(printf '  generation %.3f s (< 1 s); compile %s s (< 60 s); per-event cost x%.2f of one copy (<= 4; ratios %s);' \
    "$gen_s" "$compile_s" "$ratio" "$(printf '%s ' "${ratios[@]}" | sed 's/ $//')")")
  REPLICA_ROWS+=("$(printf '  memory %s B per activity (<= 500: peak RSS %s kB against %s kB for one copy); start-up at 10,000 copies %s ms' \
    "$per_act" "$many_rss" "$one_rss" "$many_start")")
else
  row "replicate 10000 x 10 activities" "not built" "-" "-" "-" "-"
fi

echo
echo "Benchmarks of $BUILD on $(uname -m), $(date -u '+%Y-%m-%d %H:%M UTC'); best of $REPEAT runs (bank: $BANK_REPEAT)"
printf '%-44s|%14s|%14s|%9s|%11s|%9s\n' "work" "ours" "floor" "ratio" "target" "RSS kB"
printf '%s\n' "--------------------------------------------+--------------+--------------+---------+-----------+---------"
printf '%s\n' "${ROWS[@]}"
if [ ${#BANK_ROWS[@]} -gt 0 ]; then
  echo
  echo "Growth with model size (bank targets: per-event cost at 100000 <= 4 x that at 10; peak memory <= 400 B"
  echo "per activity; start-up at 100000 < 200 ms):"
  printf '%s\n' "${BANK_ROWS[@]}"
  printf '  per-event growth 10 -> 100000: x%.2f; peak memory per activity: %.0f B (RSS growth from 10 to 100000\n' \
    "$(calc '%.4f' "$last_ns/$base_ns")" "$(calc '%.1f' "($last_rss-$base_rss)*1024/99990")"
  echo "  activities over the 99990 added); start-up at 100000: $last_start ms"
fi
if [ ${#REPLICA_ROWS[@]} -gt 0 ]; then
  echo
  echo "Composed model: a replicate of 10,000 copies of a ten-activity cell (the floor column of its row is"
  echo "one copy of the cell, its figure and ratio the median of $BANK_REPEAT pairs of runs; targets in brackets):"
  printf '%s\n' "${REPLICA_ROWS[@]}"
fi
echo
echo "Carried model and start-up: whole-process CPU. MM1 and bank: the run's own CPU time per firing"
echo "(start-up excluded), against the floor's whole-process CPU per event."
echo "$PEER_NOTE"
