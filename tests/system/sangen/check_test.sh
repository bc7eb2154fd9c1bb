#!/usr/bin/env bash
# check_test.sh SIMULATOR EXIT-CODE PATTERN [ARGS...]: runs a simulator built with the model check
# and expects its exit code and a line of its output (standard output and error) matching PATTERN.
set -uo pipefail
sim=$1 want=$2 pattern=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
out=$("$sim" "$@" 2>&1)
code=$?
if [ $code -ne "$want" ]; then echo "exit code $code, expected $want"; echo "$out" | tail -5; exit 1; fi
if ! grep -Eq "$pattern" <<<"$out"; then echo "no line matches: $pattern"; echo "$out" | tail -5; exit 1; fi
exit 0
