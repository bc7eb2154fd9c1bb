#!/usr/bin/env bash
# The Debian packages each entry needs, installed when missing.
#
#   tools/prerequisites.sh run     make run, make model, make install: the compiler, CMake and
#                                  the libraries of sangen, simmgr and the simulators
#   tools/prerequisites.sh test    make test: run's, and the test frameworks and tools
#   tools/prerequisites.sh bench   make bench: run's, and the benchmark library
#   tools/prerequisites.sh ci      .ci/run: test's, the format check, the Windows cross build and
#                                  the optional parts of the suite (the browser, Slurm, sshd)
#
# Nothing is printed when everything is there. When something is missing and this runs as root,
# it is installed quietly with apt-get; otherwise the script stops with the exact command to run.
# KAVRIN_PREREQUISITES=skip turns the check off (a machine that is not Debian, or a local mirror).
set -euo pipefail

run=(g++ cmake make libyaml-cpp-dev libboost-dev nlohmann-json3-dev)
test=("${run[@]}" libgtest-dev libgmock-dev python3 python3-pytest python3-pandas python3-matplotlib graphviz libxml2-utils iproute2)
bench=("${run[@]}" libbenchmark-dev)
ci=("${test[@]}" libbenchmark-dev chromium munge slurmctld slurmd slurm-client openssh-server openssh-client clang-format git g++-mingw-w64-x86-64-posix wine64)

group=${1:-}
case $group in
  run) wanted=("${run[@]}") ;;
  test) wanted=("${test[@]}") ;;
  bench) wanted=("${bench[@]}") ;;
  ci) wanted=("${ci[@]}") ;;
  *)
    echo "usage: $0 run|test|bench|ci" >&2
    exit 2
    ;;
esac
[ "${KAVRIN_PREREQUISITES:-}" = skip ] && exit 0
if ! command -v dpkg-query >/dev/null 2>&1; then
  echo "== Not a Debian system (no dpkg-query): the packages are not checked. This entry needs:" >&2
  echo "   ${wanted[*]}" >&2
  exit 0
fi

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "Missing Debian packages (what '$group' needs). Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "== Installing the missing Debian packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! { apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null; }; then
  echo "Installing failed. The command was:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi
