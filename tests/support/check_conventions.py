#!/usr/bin/env python3
"""Checks two habits of our C++ sources that no compiler enforces (docs/CONTRIBUTING.md).

1. Header guards: every header of ours is guarded by KAVRIN_<PATH>_<NAME>_H, the header's path
   from the repository root without a leading Cpp/ or tools/, letters upper-cased and every other
   character an underscore (Cpp/BaseClasses/List.h: KAVRIN_BASECLASSES_LIST_H).
2. Internal checks name their line by a number written in the call, never by __LINE__, so that a
   reformat or an edit above a check changes no output.

Generated code (Atomic/, Reward/, Study/, bench/models/) keeps the generator's bytes and is not
checked. --fix rewrites the guards that break the rule.
"""
import argparse
import fnmatch
import os
import re
import subprocess
import sys

GENERATED = ("Atomic/", "Reward/", "Study/", "bench/models/")

CHECK_CALL = re.compile(r"KAVRIN_(CHECK|ASSERT|ASSERT_AS)\s*\(")


def expected_guard(path):
    rel = path
    for top in ("Cpp/", "tools/"):
        if rel.startswith(top):
            rel = rel[len(top):]
            break
    stem = re.sub(r"\.(h|hpp)$", "", rel)
    return "KAVRIN_" + re.sub(r"[^A-Z0-9]", "_", stem.upper()) + "_H"


def guard_lines(text):
    """The indices of the #ifndef and #define lines of the guard, or None."""
    lines = text.split("\n")
    for i, line in enumerate(lines):
        m = re.match(r"#ifndef\s+(\w+)\s*$", line)
        if m:
            if i + 1 < len(lines) and re.match(r"#define\s+%s\s*$" % m.group(1), lines[i + 1]):
                return i, m.group(1)
            return None
        if line.startswith("#"):
            return None
    return None


def tracked(root, patterns):
    """The repository's files matching the patterns: git's list, or the folders' outside a clone."""
    try:
        out = subprocess.run(["git", "ls-files", "--", *patterns], cwd=root, check=True,
                             capture_output=True, text=True).stdout
        return [p for p in out.split("\n") if p]
    except (OSError, subprocess.CalledProcessError):
        found = []
        for folder, dirs, files in os.walk(root):
            dirs[:] = [d for d in dirs if not d.startswith((".", "build"))]
            for name in files:
                if any(fnmatch.fnmatch(name, p) for p in patterns):
                    found.append(os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/"))
        return sorted(found)


def ours(path):
    return not path.startswith(GENERATED)


def check_guards(root, fix):
    faults = []
    for path in tracked(root, ["*.h", "*.hpp"]):
        if not ours(path):
            continue
        full = os.path.join(root, path)
        with open(full, encoding="utf-8") as f:
            text = f.read()
        want = expected_guard(path)
        found = guard_lines(text)
        if found is None:
            faults.append("%s: no #ifndef/#define guard before the first other directive" % path)
            continue
        i, have = found
        if have == want:
            continue
        if fix:
            lines = text.split("\n")
            lines[i] = "#ifndef " + want
            lines[i + 1] = "#define " + want
            text = "\n".join(lines)
            text = re.sub(r"(#endif\s*//\s*)%s\b" % have, r"\g<1>" + want, text)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
            print("%s: %s -> %s" % (path, have, want))
        else:
            faults.append("%s: guard %s, the rule gives %s" % (path, have, want))
    return faults


def check_lines(root):
    faults = []
    for path in tracked(root, ["*.h", "*.hpp", "*.cpp", "*.c"]):
        if not ours(path):
            continue
        with open(os.path.join(root, path), encoding="utf-8") as f:
            text = f.read()
        for m in CHECK_CALL.finditer(text):
            # The call's arguments: up to the parenthesis that closes it.
            depth, end = 0, m.end() - 1
            while end < len(text):
                if text[end] == "(":
                    depth += 1
                elif text[end] == ")":
                    depth -= 1
                    if depth == 0:
                        break
                end += 1
            if "__LINE__" in text[m.start():end]:
                line = text.count("\n", 0, m.start()) + 1
                faults.append("%s:%d: an internal check prints __LINE__; write its number" % (path, line))
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, help="the repository")
    parser.add_argument("--fix", action="store_true", help="rewrite guards that break the rule")
    args = parser.parse_args()
    faults = check_guards(args.root, args.fix) + check_lines(args.root)
    for f in faults:
        print(f)
    print("%d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
