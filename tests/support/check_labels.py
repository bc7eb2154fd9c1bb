#!/usr/bin/env python3
"""Every test CTest knows carries exactly one kind label and at least one subsystem label.

Run by CTest itself (test tests.every_test_has_a_kind): it asks CTest for the list of tests
of the build tree, including the GoogleTest cases found after the build, and prints each test
whose labels break the scheme of tests/README.md.
"""
import argparse
import json
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ctest", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--kinds", required=True, help="comma-separated")
    parser.add_argument("--subsystems", required=True, help="comma-separated")
    args = parser.parse_args()
    kinds = set(args.kinds.split(","))
    subsystems = set(args.subsystems.split(","))

    listing = subprocess.run([args.ctest, "--show-only=json-v1"], cwd=args.build, check=True,
                             capture_output=True, text=True).stdout
    tests = json.loads(listing)["tests"]
    faults = []
    for test in tests:
        labels = []
        for prop in test.get("properties", []):
            if prop["name"] == "LABELS":
                labels = list(prop["value"])
        k = [l for l in labels if l in kinds]
        s = [l for l in labels if l in subsystems]
        other = [l for l in labels if l not in kinds and l not in subsystems]
        if len(k) != 1 or not s or other:
            faults.append("%s: labels %s" % (test["name"], labels or "none"))
    for f in faults:
        print(f)
    print("%d tests, %d without one kind (%s) and a subsystem (%s)"
          % (len(tests), len(faults), " ".join(sorted(kinds)), " ".join(sorted(subsystems))))
    if len(tests) < 2:
        print("CTest listed no tests: the listing itself failed")
        return 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
