#!/usr/bin/env bash
# Build times of a modeller's own folder against the package of a built tree, without the compiler
# cache (CCACHE_DISABLE=1), as a new model meets them:
#   first build    a new folder with one description: configure and build (targets: < 20 s)
#   after an edit  one rate changed in the description, then cmake --build (< 6 s)
#   two models     a new folder with two descriptions, built with -j2
# Each figure is the median wall time of BENCH_BUILD_REPEAT runs (default 3).
#
#   bash bench/build_time.sh [BUILD_DIR]    (default: build; relative to the repository root)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
REPEAT="${BENCH_BUILD_REPEAT:-3}"
if [ ! -f "$BUILD/KavrinConfig.cmake" ] || [ ! -x "$BUILD/bin/sangen" ]; then
  echo "build_time: $BUILD has no built package; cmake --build $BUILD --target kavrin_package first" >&2
  exit 1
fi
export CCACHE_DISABLE=1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# folder NAME MODEL...: a project folder with these descriptions from models/.
folder() {
  local dir=$WORK/$1
  shift
  rm -rf "$dir"
  mkdir -p "$dir"
  {
    echo "cmake_minimum_required(VERSION 3.25)"
    echo "project(bench_model CXX)"
    echo "find_package(Kavrin REQUIRED)"
  } >"$dir/CMakeLists.txt"
  for m in "$@"; do
    cp "$ROOT/models/$m" "$dir/"
    echo "kavrin_add_model($m)" >>"$dir/CMakeLists.txt"
  done
}
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# seconds CMD...: wall seconds of CMD (its output to a log, shown if it fails).
seconds() {
  local t0 t1
  t0=$(now)
  if ! "$@" >"$WORK/log" 2>&1; then
    cat "$WORK/log" >&2
    echo "build_time: failed: $*" >&2
    exit 1
  fi
  t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f\n", b - a }'
}
first_build() {
  cmake -S "$WORK/one" -B "$WORK/one/build" -DKavrin_DIR="$BUILD" && cmake --build "$WORK/one/build" -j2
}
two_models() {
  cmake -S "$WORK/two" -B "$WORK/two/build" -DKavrin_DIR="$BUILD" && cmake --build "$WORK/two/build" -j2
}

first=()
edit=()
two=()
for ((i = 0; i < REPEAT; i++)); do
  folder one mm1.yaml
  first+=("$(seconds first_build)")
  # An edit of a rate: the description changes, the generated model is compiled again.
  sed -i "s/mu: {type: double, default: 1.0}/mu: {type: double, default: 1.$((i + 1))}/" "$WORK/one/mm1.yaml"
  edit+=("$(seconds cmake --build "$WORK/one/build" -j2)")
  folder two mm1.yaml repairman.yaml
  two+=("$(seconds two_models)")
done

echo
echo "Build times of a model's own folder against $BUILD, no compiler cache, median of $REPEAT ($(nproc) cores)"
printf '%-46s|%10s|%10s\n' "work" "seconds" "target"
printf '%s\n' "----------------------------------------------+----------+----------"
printf '%-46s|%10s|%10s\n' "first build of a new model (mm1.yaml)" "$(printf '%s\n' "${first[@]}" | median)" "< 20"
printf '%-46s|%10s|%10s\n' "rebuild after an edit of the description" "$(printf '%s\n' "${edit[@]}" | median)" "< 6"
printf '%-46s|%10s|%10s\n' "two models in one folder, -j2" "$(printf '%s\n' "${two[@]}" | median)" "-"
