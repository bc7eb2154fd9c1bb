#!/usr/bin/env bash
# A modeller's own folder built against the installed package, as the README shows it:
#   - the build tree is installed into a temporary DESTDIR (the package must be relocatable);
#   - a folder with two descriptions and find_package(Kavrin) + kavrin_add_model builds with -j2,
#     compiles only the generated models (no framework source), and yields both simulators with
#     their .pv/.pvkind/.study files, a drawing when Graphviz is there, and simmgr beside them;
#   - renaming the model and the study in a description, then only `cmake --build`, yields the
#     simulator of the new name, and the old one is gone;
#   - a description sangen refuses, and one the compiler refuses, leave no simulator behind;
#   - a composed model whose submodel is a file of its own: editing only that file rebuilds the
#     simulator, whose fingerprint covers both files and changes with it.
#   package_test.sh <build tree>
set -euo pipefail
tree=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

DESTDIR=$work/stage cmake --install "$tree" --prefix /opt/kavrin >"$work/install.log" 2>&1 ||
  { tail -20 "$work/install.log"; fail "cmake --install"; }
prefix=$work/stage/opt/kavrin
for f in bin/sangen bin/simmgr lib/libkavrin_framework.a lib/cmake/Kavrin/KavrinConfig.cmake \
  include/kavrin/BaseClasses/BaseModelClass.h include/kavrin/KavrinVersion.h share/doc/kavrin/README.md; do
  [ -e "$prefix/$f" ] || fail "the install has no $f"
done

mkdir "$work/own"
cd "$work/own"
cat >shop.yaml <<'YAML'
model: Shop
globals: {lambda: {type: double, default: 0.5}}
places: {Waiting: 0}
activities:
  - {name: Arrive, delay: Exponential, parameters: [lambda], output: {Waiting: 1}}
  - {name: Serve, delay: Deterministic, parameters: [1.0], input: {Waiting: 1}}
rewards:
  - {name: served, kind: interval, impulses: {Serve: 1.0}, from: 0, to: 20}
YAML
# The second model: a single-server queue whose study is named in flow style.
cat >queue.yaml <<'YAML'
model: Queue
study: {name: QUEUE_RUNS}
globals: {lambda: {type: double, default: 0.5}}
places: {InSystem: 0}
activities:
  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {InSystem: 1}}
  - {name: Service, delay: Exponential, parameters: [1.0], input: {InSystem: 1}}
rewards:
  - {name: arrivals, kind: interval, impulses: {Arrival: 1.0}, from: 0, to: 10}
YAML
# The third: two copies of a cell described in a file of its own.
cat >pool.yaml <<'YAML'
model: Pool
study: {name: POOL_STUDY}
globals: {phi: {type: double, default: 0.5}}
submodels: {Cell: cell.yaml}
compose: {replicate: Cells, count: 2, of: {submodel: Cell}}
rewards:
  - {name: up, over: Cell, kind: instant, rate: "Up->Mark()", at: 5}
YAML
cat >cell.yaml <<'YAML'
places: {Up: 1, Down: 0}
activities:
  - {name: Fail, delay: Exponential, parameters: [phi], input: {Up: 1}, output: {Down: 1}}
  - {name: Repair, delay: Exponential, parameters: [2.0], input: {Down: 1}, output: {Up: 1}}
YAML
cat >CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(own CXX)
find_package(Kavrin REQUIRED)
kavrin_add_model(shop.yaml)
kavrin_add_model(queue.yaml)
kavrin_add_model(pool.yaml)
CMAKE
cmake -S . -B build -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; fail "configure against the installed package"; }
cmake --build build -j2 >"$work/build.log" 2>&1 || { tail -30 "$work/build.log"; fail "first build with -j2"; }
# Only the generated models were compiled: one unit each.
compiled=$(grep -c "Building CXX object" "$work/build.log" || true)
[ "$compiled" -eq 3 ] || fail "the first build compiled $compiled files, not the 3 generated models"
for sim in SHOP_STUDYSim QUEUE_RUNSSim POOL_STUDYSim; do
  for f in "" .pv .pvkind .study; do
    [ -s "build/$sim$f" ] || fail "build/$sim$f is missing"
  done
  if command -v dot >/dev/null; then
    grep -q "<svg" "build/$sim.svg" || fail "build/$sim.svg is not a drawing"
  fi
done
build/SHOP_STUDYSim -N 50 -s 3 -a served.csv >/dev/null || fail "SHOP_STUDYSim does not run"
grep -q '^0,' served.csv || fail "SHOP_STUDYSim wrote no observation"
# simmgr beside the simulators runs a study of one of them.
(cd build && ./simmgr --min-obs 100 -- ./QUEUE_RUNSSim >"$work/study.txt" 2>&1) || { cat "$work/study.txt"; fail "simmgr"; }
grep -q "arrivals" "$work/study.txt" || fail "the study's table has no row for arrivals"

# The fingerprint of a description in two files: the SHA-256 of each file in the order read, as its
# name relative to the description, a NUL, its size and a NUL, then its bytes.
fingerprint() {
  { for f in pool.yaml cell.yaml; do printf '%s\0%s\0' "$f" "$(wc -c <"$f")"; cat "$f"; done; } |
    sha256sum | cut -d' ' -f1
}
study_fingerprint() { sed -n '1s/^description_sha256\t//p' build/POOL_STUDYSim.study; }
[ "$(study_fingerprint)" = "$(fingerprint)" ] || fail "POOL_STUDYSim's fingerprint is not that of its two files"
before=$(study_fingerprint)
# Editing only the submodel's file rebuilds the simulator, and its fingerprint follows.
sed -i 's/parameters: \[2.0\]/parameters: [3.0]/' cell.yaml
cmake --build build -j2 >"$work/submodel.log" 2>&1 || { tail -30 "$work/submodel.log"; fail "build after editing cell.yaml"; }
grep -q "Generating POOL_STUDYSim" "$work/submodel.log" || { cat "$work/submodel.log"; fail "editing cell.yaml did not regenerate POOL_STUDYSim"; }
grep -q "Linking CXX executable POOL_STUDYSim" "$work/submodel.log" || fail "editing cell.yaml did not relink POOL_STUDYSim"
[ "$(study_fingerprint)" != "$before" ] || fail "the fingerprint did not change with cell.yaml"
[ "$(study_fingerprint)" = "$(fingerprint)" ] || fail "POOL_STUDYSim's fingerprint after the edit is not that of its files"
# Nothing changed: nothing is generated again.
cmake --build build -j2 >"$work/again.log" 2>&1 || fail "a build with nothing changed"
if grep -q "Generating" "$work/again.log"; then fail "a build with nothing changed generated again"; fi

# Renaming the model and the study: the build alone configures again and renames the simulator.
sed -i 's/^model: Shop$/model: Store/; $a study: {name: STORE_STUDY}' shop.yaml
cmake --build build -j2 >"$work/rename.log" 2>&1 || { tail -30 "$work/rename.log"; fail "build after the rename"; }
[ -x build/STORE_STUDYSim ] || fail "no STORE_STUDYSim after the rename"
[ ! -e build/SHOP_STUDYSim ] || fail "SHOP_STUDYSim is still there after the rename"
[ ! -e build/SHOP_STUDYSim.pv ] || fail "SHOP_STUDYSim.pv is still there after the rename"
build/STORE_STUDYSim -N 5 >/dev/null 2>&1 || fail "STORE_STUDYSim does not run"

# A description sangen refuses: the build fails with sangen's message and removes the simulator.
sed -i 's/input: {Waiting: 1}/input: {Nowhere: 1}/' shop.yaml
if cmake --build build -j2 >"$work/refused.log" 2>&1; then fail "the build of a refused description succeeded"; fi
grep -q "shop.yaml:[0-9]*:[0-9]*:" "$work/refused.log" || { cat "$work/refused.log"; fail "no file:line:column message"; }
[ ! -e build/STORE_STUDYSim ] || fail "a refused description left STORE_STUDYSim in place"
[ -x build/QUEUE_RUNSSim ] || fail "the other model's simulator went too"

# A description that sangen accepts and the compiler refuses (an unknown function in a delay).
sed -i 's/input: {Nowhere: 1}/input: {Waiting: 1}/' shop.yaml
cmake --build build -j2 >"$work/fixed.log" 2>&1 || { tail -30 "$work/fixed.log"; fail "build after the fix"; }
[ -x build/STORE_STUDYSim ] || fail "no STORE_STUDYSim after the fix"
sed -i 's/parameters: \[1.0\]/parameters: [no_such_function(1.0)]/' shop.yaml
if cmake --build build -j2 >"$work/compile.log" 2>&1; then fail "the build of an uncompilable description succeeded"; fi
[ ! -e build/STORE_STUDYSim ] || fail "a description the compiler refused left STORE_STUDYSim in place"
echo "own folder: three models with -j2, a submodel file edited, a rename and two failed builds behave"
