"""What a simulator generated from a description says about itself, run as a user would.

  generated_sim_test.py --bin DIR --source DIR (StudyFile | MarkingOverflow)

StudyFile: the .study file beside a generated simulator starts with the SHA-256 of the description
(checked here with hashlib) and names the experiments as the description does.
MarkingOverflow: a run whose generated arcs or initial markings leave a place's 16-bit range stops
with a message naming the place and exit code 1; a run that reaches 32,767 and stops there ends
as usual.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import tempfile
import unittest

ARGS = None


def exe(name):
    return os.path.join(ARGS.bin, name)


def run(*cmd, cwd=None):
    p = subprocess.run(cmd, capture_output=True, text=True, timeout=120, cwd=cwd)
    return p.returncode, p.stdout, p.stderr


class StudyFile(unittest.TestCase):
    def study_lines(self, sim):
        with open(exe(sim) + ".study") as f:
            return f.read().splitlines()

    def digest(self, *path):
        with open(os.path.join(ARGS.source, *path), "rb") as f:
            return hashlib.sha256(f.read()).hexdigest()

    def test_a_swept_study_names_its_points_and_carries_the_digest(self):
        lines = self.study_lines("COUNTER_Sim")
        self.assertEqual(lines[0], "description_sha256\t" + self.digest("tests", "unit", "sangen", "counter.yaml"))
        # range [0.5, 1.5, 0.5]: three points, 1.0 written in its shortest text.
        self.assertEqual([l for l in lines if l.startswith("experiment")],
                         ["experiment\t0\tstep=0.5\tstart=32760\tlimit=32767\tstep=0.5",
                          "experiment\t1\tstep=1\tstart=32760\tlimit=32767\tstep=1",
                          "experiment\t2\tstep=1.5\tstart=32760\tlimit=32767\tstep=1.5"])

    def test_listed_experiments_keep_their_own_names(self):
        lines = self.study_lines("MM1_STUDYSim")
        self.assertEqual(lines[0], "description_sha256\t" + self.digest("models", "mm1.yaml"))
        self.assertEqual([l.split("\t")[2] for l in lines if l.startswith("experiment")],
                         ["rho_0.5", "rho_0.8", "rho_0.9"])

    def test_the_carried_study_is_unchanged(self):
        self.assertEqual(self.study_lines("GPUS_STUDYSim"), ["experiment\t0\tExperiment 1"])


class MarkingOverflow(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def test_a_count_that_reaches_the_largest_marking_runs_as_before(self):
        # 32,760 plus one per step until the limit 32,767: seven steps of at most 1.5, long before t = 100.
        rc, out, err = run(exe("COUNTER_Sim"), "-N", "3", "-e", "2", "-a", "count.csv", cwd=self.dir.name)
        self.assertEqual(rc, 0, err)
        self.assertIn("GOOD EXIT", out + err)
        with open(os.path.join(self.dir.name, "count.csv")) as f:
            rows = [l.strip() for l in f if not l.startswith("#")]
        self.assertEqual(rows, ["0,32767.0"] * 3)

    def expect_stop(self, sim, args, message):
        rc, out, err = run(exe(sim), *args, cwd=self.dir.name)
        self.assertEqual(rc, 1, out + err)
        self.assertEqual(err.splitlines()[-1:], [message], err)
        self.assertNotIn("GOOD EXIT", out + err)

    def test_an_arc_past_the_largest_marking_stops_the_run(self):
        self.expect_stop("COUNTER_Sim", ["-N", "3", "-O", "i:limit:40000"],
                         "ERROR: model Counter: place Count: an output arc of Add makes the marking 32768, "
                         "outside the range of the place (-32768 to 32767)")

    def test_an_initial_marking_beyond_it_stops_the_run(self):
        self.expect_stop("COUNTER_Sim", ["-N", "3", "-O", "i:start:40000"],
                         "ERROR: model Counter: place Count: its initial value makes the marking 40000, "
                         "outside the range of the place (-32768 to 32767)")

    def test_an_overloaded_queue_stops_instead_of_wrapping(self):
        # Arrivals at twice the service rate: the queue grows without bound in the steady-state run.
        self.expect_stop("MM1_STUDYSim", ["-t", "0", "-O", "d:lambda:2.0"],
                         "ERROR: model MM1: place Queue: an output arc of Arrival makes the marking 32768, "
                         "outside the range of the place (-32768 to 32767)")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("suite")
    ARGS, rest = parser.parse_known_args()
    sys.exit(0 if unittest.main(argv=[sys.argv[0], ARGS.suite] + rest, exit=False).result.wasSuccessful() else 1)
