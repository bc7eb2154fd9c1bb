#!/usr/bin/env python3
"""Result files of the timed models compared byte for byte with the files kept in files/.

Every delay of these runs is drawn from a sampler, so a change to any sampler, to the generators
or to the order of the draws changes these bytes. Each case runs one simulator with a fixed seed
in a scratch folder and compares the ASCII and binary result files (and, for one case, a level-3
text trace written to a file) with the kept ones. Standard output is not compared: it carries CPU
times and may gain lines of its own.

    golden_test.py --bin-dir build/bin [SUITE ...]               compare
    golden_test.py --bin-dir build/bin --regenerate [SUITE ...]  rewrite the kept files

README.md says when rewriting them is legitimate.
"""
import argparse
import difflib
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import simlink  # noqa: E402

BIN_DIR = None
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "files")
SEED = "4711"
RESULTS = ["-a", "out.csv", "-b", "out.bin"]
RESULT_FILES = ["out.csv", "out.bin"]


class Case:
    """One run: the simulator, its arguments and the files it writes that are kept.

    mixed: the model has terminating and steady-state variables and this is a terminating run,
    whose replications end where the terminating variables' windows do; the kept files change
    whenever that stop time does."""

    def __init__(self, name, simulator, args, files=RESULT_FILES, mixed=False):
        self.name = name
        self.simulator = simulator
        self.args = ["-s", SEED, *args]
        self.files = files
        self.mixed = mixed


ERLANG_SAMPLERS = ["exponential", "deterministic", "uniform", "gamma", "lognormal", "erlang"]

SUITES = {
    "MM1": [
        Case("mm1_terminating", "MM1_STUDYSim", ["-N", "5", *RESULTS], mixed=True),
        Case("mm1_steady_state", "MM1_STUDYSim", ["-t", "0", "-e", "1", "-N", "4", *RESULTS]),
    ],
    # One experiment per service sampler, in the order of the study's sweep.
    "ErlangLoss": [
        Case("erlang_" + s, "ERLANG_STUDYSim", ["-t", "0", "-e", str(i), "-N", "3", *RESULTS])
        for i, s in enumerate(ERLANG_SAMPLERS)
    ],
    "Repairman": [
        Case("repairman_steady_state", "REPAIR_STUDYSim", ["-t", "0", "-e", "2", "-N", "4", *RESULTS]),
    ],
    "CentralServer": [
        Case("central_server_terminating", "CENTRALSERVER_STUDYSim", ["-N", "5", *RESULTS], mixed=True),
        Case("central_server_steady_state", "CENTRALSERVER_STUDYSim", ["-t", "0", "-e", "1", "-N", "4", *RESULTS]),
    ],
    "Samplers": [
        Case("samplers", "SAMPLERS_STUDYSim", ["-N", "5", *RESULTS]),
        Case("samplers_trace_level3", "SAMPLERS_STUDYSim", ["-N", "1", "-m", "-l", "3", "-f", "trace"],
             files=["trace.txt"]),
    ],
}


def simulator_path(name):
    path = os.path.join(BIN_DIR, name)
    return path + ".exe" if not os.path.exists(path) and os.path.exists(path + ".exe") else path


def hexdiff(expected, actual):
    for i in range(max(len(expected), len(actual))):
        if expected[i:i + 1] != actual[i:i + 1]:
            start = i - i % 16
            return "%d bytes kept, %d written; first difference at byte %d\nkept    %s\nwritten %s" % (
                len(expected), len(actual), i, expected[start:start + 32].hex(" "), actual[start:start + 32].hex(" "))
    return "identical"


def textdiff(expected, actual, name):
    lines = difflib.unified_diff(expected.decode(errors="replace").splitlines(),
                                 actual.decode(errors="replace").splitlines(), "kept/" + name, "written/" + name,
                                 lineterm="", n=1)
    return "\n".join(list(lines)[:40])


class GoldenRun(simlink.ScratchDirTest):
    prefix = "golden_"

    def run_case(self, case):
        """Runs the case in the scratch folder; the files it wrote, by name."""
        rc, out, err = self.run_program(simulator_path(case.simulator), *case.args)
        self.assertEqual(rc, 0, "%s %s\n%s%s" % (case.simulator, " ".join(case.args), out[-2000:], err[-2000:]))
        written = {}
        for name in case.files:
            self.assertTrue(os.path.exists(self.path(name)), "%s did not write %s" % (case.name, name))
            written[name] = self.read(name, "rb")
        return written

    def check(self, case):
        for name, actual in self.run_case(case).items():
            with self.subTest(case=case.name, file=name):
                kept = os.path.join(GOLDEN, case.name, name)
                with open(kept, "rb") as f:
                    expected = f.read()
                if actual != expected:
                    show = hexdiff(expected, actual) if name.endswith(".bin") else textdiff(expected, actual, name)
                    self.fail("%s: %s differs from %s\n%s" % (case.name, name, kept, show))

    def regenerate(self, case):
        folder = os.path.join(GOLDEN, case.name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for name, data in self.run_case(case).items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            print("wrote %s (%d bytes)" % (os.path.relpath(os.path.join(folder, name)), len(data)))


def suite_class(suite, regenerate):
    def test(self):
        for case in SUITES[suite]:
            (self.regenerate if regenerate else self.check)(case)

    return type(suite, (GoldenRun,), {"test_" + ("regenerate" if regenerate else "kept_files"): test})


def main():
    global BIN_DIR
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin-dir", required=True, help="the folder of the simulators")
    parser.add_argument("--regenerate", action="store_true", help="rewrite the kept files instead of comparing")
    parser.add_argument("--list-mixed", action="store_true",
                        help="print the cases of terminating runs of models with both kinds of variable")
    parser.add_argument("suites", nargs="*", help="%s (default: all)" % ", ".join(SUITES))
    args = parser.parse_args()
    if args.list_mixed:
        for cases in SUITES.values():
            for case in cases:
                if case.mixed:
                    print(case.name)
        return 0
    BIN_DIR = os.path.abspath(args.bin_dir)
    unknown = [s for s in args.suites if s not in SUITES]
    if unknown:
        parser.error("unknown suite %s; the suites are %s" % (", ".join(unknown), ", ".join(SUITES)))
    loader = unittest.TestLoader()
    tests = unittest.TestSuite(
        loader.loadTestsFromTestCase(suite_class(s, args.regenerate)) for s in (args.suites or list(SUITES)))
    result = unittest.TextTestRunner(verbosity=2).run(tests)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
