#!/usr/bin/env bash
# A write that fails part-way ends sangen with "sangen: cannot write <file>: <reason>" and exit code 1,
# and leaves no short file behind: a fresh folder gets no generated file, an earlier tree keeps its
# complete files, no temporary file stays. A file-size limit stands in for a nearly full disk: files
# up to 2 KiB are written, larger ones fail with EFBIG (SIGXFSZ ignored, so the write just fails).
set -u
sangen=$1
model=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
limited() { (
  trap '' XFSZ
  ulimit -f 2
  "$sangen" "$@"
); }
check() { # name, expected exit code, actual exit code, stderr file, expected stderr pattern ("": none)
  if [ "$3" != "$2" ] || { [ -n "$5" ] && ! grep -Eq "$5" "$4"; } || { [ -z "$5" ] && [ -s "$4" ]; }; then
    echo "$1: exit code $3 (expected $2), standard error:"
    cat "$4"
    fail=1
  fi
}

cp "$model" "$work/first.yaml"
limited "$work/first.yaml" --out "$work/out" 2>"$work/err"
check "fresh folder" 1 $? "$work/err" "^sangen: cannot write $work/out/.*: File too large$"
if [ -n "$(find "$work/out" -type f 2>/dev/null)" ]; then
  echo "fresh folder: files left behind:"
  find "$work/out" -type f
  fail=1
fi

"$sangen" "$work/first.yaml" --out "$work/out" 2>"$work/err"
check "unlimited" 0 $? "$work/err" ""
(cd "$work/out" && find . -type f | sort | xargs md5sum) >"$work/before"
# Another file name changes every generated file (their comments and #line name the description).
cp "$model" "$work/second.yaml"
limited "$work/second.yaml" --out "$work/out" 2>"$work/err"
check "earlier tree" 1 $? "$work/err" "File too large$"
(cd "$work/out" && find . -type f | sort | xargs md5sum) >"$work/after"
if ! cmp -s "$work/before" "$work/after"; then
  echo "earlier tree: changed by the failed run:"
  diff "$work/before" "$work/after"
  fail=1
fi

"$sangen" --dot "$model" >/dev/full 2>"$work/err"
check "drawing to a full device" 1 $? "$work/err" "^sangen: cannot write the standard output$"
exit $fail
