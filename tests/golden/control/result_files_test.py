#!/usr/bin/env python3
"""The carried study's simulator against kept files.

Runs the real executable in a scratch directory and compares standard output (CPU times masked),
the ASCII and binary result files and a text trace with the files kept in golden/, byte for byte.
"""
import argparse
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import simlink  # noqa: E402
from simlink import GOOD_EXIT  # noqa: E402

GOLDEN = None


def mask(text):
    text = re.sub(r"^(GenerateConnectivityList\(\) Time=).*$", r"\1<cpu>", text, flags=re.M)
    return re.sub(r"^(CPU time \(s\): ).*$", r"\1<cpu>", text, flags=re.M)


def golden(case, name, mode="r"):
    with open(os.path.join(GOLDEN, case, name), mode) as f:
        return f.read()


class ResultFiles(simlink.ScratchDirTest):
    prefix = "e2e_"

    def test_three_replications_into_the_ascii_file(self):
        rc, out, err = self.run_sim("-N", "3", "-a", "out.csv")
        self.assertEqual(rc, 0, err)
        self.assertEqual(mask(out), golden("n3_ascii", "stdout"))
        self.assertTrue(err.endswith(GOOD_EXIT), err)
        self.assertEqual(self.read("out.csv"), golden("n3_ascii", "out.csv"))

    def test_five_replications_in_reports_of_two_into_the_binary_file(self):
        rc, out, err = self.run_sim("-N", "5", "-n", "2", "-b", "out.bin")
        self.assertEqual(rc, 0, err)
        self.assertEqual(mask(out), golden("n5_bin", "stdout"))
        expected = golden("n5_bin", "out.bin", "rb")
        actual = self.read("out.bin", "rb")
        self.assertEqual(actual, expected, "\n" + hexdiff(expected, actual))

    def test_text_trace_on_standard_output(self):
        rc, out, err = self.run_sim("-N", "1", "-m", "-l", "1")
        self.assertEqual(rc, 0, err)
        self.assertEqual(mask(out), golden("trace_level1", "stdout"))


def hexdiff(expected, actual):
    for i in range(max(len(expected), len(actual))):
        e = expected[i:i + 1]
        a = actual[i:i + 1]
        if e != a:
            start = i - i % 16
            return "first difference at byte %d\nexpected %s\nactual   %s" % (
                i, expected[start:start + 32].hex(" "), actual[start:start + 32].hex(" "))
    return "identical"


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--simulator", required=True)
    parser.add_argument("--golden", required=True)
    args, rest = parser.parse_known_args()
    simlink.ScratchDirTest.simulator = os.path.abspath(args.simulator)
    GOLDEN = os.path.abspath(args.golden)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
