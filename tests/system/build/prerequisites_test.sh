#!/usr/bin/env bash
# tools/prerequisites.sh against stand-ins for dpkg-query, id and apt-get, so that the outcome does
# not depend on what this machine has installed:
#   - everything installed: nothing printed, nothing installed;
#   - two packages missing, as root: apt-get installs exactly those two, quietly;
#   - missing, not root: exit 1 with the exact apt-get line and no installation;
#   - an unknown group: usage, exit 2.
#   prerequisites_test.sh <repository>
set -euo pipefail
script=$1/tools/prerequisites.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
mkdir "$work/bin"
# dpkg-query -W -f=... PKG: installed unless PKG is listed in $work/missing.
cat >"$work/bin/dpkg-query" <<EOF
#!/bin/bash
pkg=\${!#}
if grep -qx "\$pkg" "$work/missing" 2>/dev/null; then echo "dpkg-query: no packages found matching \$pkg" >&2; exit 1; fi
printf 'install ok installed'
EOF
cat >"$work/bin/id" <<EOF
#!/bin/bash
cat "$work/uid"
EOF
cat >"$work/bin/apt-get" <<EOF
#!/bin/bash
echo "apt-get \$*" >>"$work/apt.log"
EOF
chmod +x "$work/bin/"*
run() { PATH="$work/bin:$PATH" bash "$script" "$@"; }

echo 0 >"$work/uid"
: >"$work/missing"
out=$(run test 2>&1) || fail "everything installed: exit $?"
[ -z "$out" ] || fail "everything installed, yet it printed: $out"
[ ! -e "$work/apt.log" ] || fail "everything installed, yet apt-get ran"

printf 'libgtest-dev\nlibyaml-cpp-dev\n' >"$work/missing"
run test >"$work/out" 2>&1 || fail "as root with packages missing: exit $?"
grep -qx "apt-get update -qq" "$work/apt.log" || fail "no apt-get update: $(cat "$work/apt.log")"
grep -qx "apt-get install -y -qq libyaml-cpp-dev libgtest-dev" "$work/apt.log" ||
  fail "not the install of exactly the missing packages: $(cat "$work/apt.log")"
# 'run' does not need the test framework.
rm "$work/apt.log"
run run >/dev/null 2>&1 || fail "run group as root"
grep -qx "apt-get install -y -qq libyaml-cpp-dev" "$work/apt.log" || fail "run group: $(cat "$work/apt.log")"

rm "$work/apt.log"
echo 1000 >"$work/uid"
if run test >"$work/out" 2>&1; then fail "not root with packages missing, yet exit 0"; fi
grep -qx "  sudo apt-get install -y libyaml-cpp-dev libgtest-dev" "$work/out" || fail "no exact command: $(cat "$work/out")"
[ ! -e "$work/apt.log" ] || fail "apt-get ran without root"

set +e
run nonsense >/dev/null 2>&1
status=$?
set -e
[ $status -eq 2 ] || fail "an unknown group exits $status, not 2"
echo "prerequisites: checked, installed as root, named otherwise"
