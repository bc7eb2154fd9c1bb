#!/usr/bin/env bash
# A profile-guided build of a model kept outside the repository (kavrin_add_model(... PGO)):
# instrumented, trained on its own study, rebuilt from the profile. Its result files must equal,
# byte for byte, those of the same description built the plain way (the repository's simulator),
# because the optimisation may reorder code but never arithmetic.
#   pgo_build_test.sh <build tree> <description.yaml> <plain simulator>
set -euo pipefail
tree=$1
yaml=$2
plain=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/model"
cp "$yaml" "$work/model/model.yaml"
sim=$(basename "$plain")
cat >"$work/model/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(pgo_model CXX C)
find_package(Kavrin REQUIRED)
kavrin_add_model(model.yaml PGO TRAINING "-N 2000|-t 0 -N 10")
CMAKE
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
cmake -S "$work/model" -B "$work/build" -DKavrin_DIR="$tree" >/dev/null
cmake --build "$work/build" >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
# Both passes ran, and the training wrote a profile that the second pass read.
grep -q "pass 'generate'" "$work/build.log"
grep -q "Training run: $sim -t 0 -N 10" "$work/build.log"
grep -q "pass 'use'" "$work/build.log"
[ -n "$(find "$work/build/kavrin-pgo" -name '*.gcda' -print -quit)" ]

cd "$work"
status=0
for run in "-N 400 -s 7" "-t 0 -e 2 -N 25 -s 11" "-e 1 -N 100 -s 3 -r 2"; do
  read -ra opts <<<"$run"
  "$work/build/$sim" "${opts[@]}" -a pgo.csv -b pgo.bin >/dev/null 2>&1
  "$plain" "${opts[@]}" -a plain.csv -b plain.bin >/dev/null 2>&1
  for f in csv bin; do
    if ! cmp -s "pgo.$f" "plain.$f"; then
      echo "FAIL: $sim $run: the profile-guided build's .$f result differs from the plain build's"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "profile-guided $sim writes the plain build's bytes"
exit $status
