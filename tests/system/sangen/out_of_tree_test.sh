#!/usr/bin/env bash
# A model kept outside the repository: a folder with only its description and the documented
# CMakeLists.txt configures, builds and yields a simulator that runs, with its .pv files.
set -euo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/shop"
cat >"$work/shop/shop.yaml" <<'YAML'
model: Shop
globals: {lambda: {type: double, default: 0.5}}
places: {Waiting: 0}
activities:
  - {name: Arrive, delay: Exponential, parameters: [lambda], output: {Waiting: 1}}
  - {name: Serve, delay: Deterministic, parameters: [1.0], input: {Waiting: 1}}
rewards:
  - {name: served, kind: interval, impulses: {Serve: 1.0}, from: 0, to: 20}
YAML
cat >"$work/shop/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(shop CXX C)
include($root/cmake/KavrinModel.cmake)
kavrin_add_model(shop.yaml)
CMAKE
# Both builds, the modeller's and the framework tree it configures, may use two jobs.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
cmake -S "$work/shop" -B "$work/shop/build" >/dev/null
cmake --build "$work/shop/build" >"$work/build.log" 2>&1 || { tail -30 "$work/build.log"; exit 1; }
cd "$work/shop/build"
./SHOP_STUDYSim -N 100 -a served.csv >/dev/null
grep -q '^0,' served.csv
grep -q '^Name:served$' SHOP_STUDYSim.pv
grep -q '^global' SHOP_STUDYSim.study
echo "out-of-tree model built and ran"
