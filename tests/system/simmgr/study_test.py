#!/usr/bin/env python3
"""What a newcomer meets around the simulators: the files the build writes beside them, reading
result files later, listing a study, the binary-file reader of docs/FORMATS.md, and the messages
that must reach the user (simulator warnings, SIMTEST, the job limit, a failed description).

Every run happens in a scratch directory.
"""
import argparse
import csv
import datetime
import io
import json
import math
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import unittest

BIN = None      # folder of the simulators and simmgr
FORMATS = None  # docs/FORMATS.md
DESCRIBE = None  # the build's description step (a CMake script)
CMAKE = None


def exe(name):
    return os.path.join(BIN, name)


# A cross build runs our programs through its emulator (a ;-separated command), by file name.
EMULATOR = [w for w in os.environ.get("KAVRIN_TEST_EMULATOR", "").split(";") if w]


def command(program, *args):
    if EMULATOR and os.path.dirname(program) == BIN:
        return [*EMULATOR, program + ".exe", *args]
    return [program, *args]


def formats_reader():
    """The Python reader as docs/FORMATS.md shows it: its first python block."""
    with open(FORMATS) as f:
        text = f.read()
    block = re.search(r"```python\n(.*?)```", text, re.S)
    assert block, "docs/FORMATS.md has no python block"
    namespace = {}
    exec(compile(block.group(1), FORMATS, "exec"), namespace)
    return namespace["read_binary_result_file"]


def ascii_values(path):
    """{variable index: [values]} and the BATCHES count of an ASCII result file."""
    values, batches = {}, None
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("#META_DATA,BATCHES="):
                batches = int(line.split("=")[1])
            elif line and not line.startswith("#"):
                index, value = line.split(",")
                values.setdefault(int(index), []).append(float(value))
    return values, batches


class Scratch(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="study_")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def run_cmd(self, *args, env=None, timeout=120):
        full_env = dict(os.environ)
        full_env.pop("SIMTEST", None)
        full_env.update(env or {})
        p = subprocess.run(command(*args), cwd=self.dir, env=full_env, capture_output=True, text=True,
                           timeout=timeout)
        return p.returncode, p.stdout, p.stderr

    def simmgr(self, *args, json_name="result.json"):
        rc, out, err = self.run_cmd(exe("simmgr"), "--quiet", "--json", self.path(json_name), *args)
        doc = None
        if os.path.exists(self.path(json_name)) and os.path.getsize(self.path(json_name)) > 0:
            with open(self.path(json_name)) as f:
                doc = json.load(f)
        return rc, out, err, doc


class FormatsReader(Scratch):
    def test_the_documented_reader_reads_what_the_ascii_file_of_the_same_run_holds(self):
        read = formats_reader()
        for kind, measured in (("1", 1), ("0", 0)):
            rc, _, err = self.run_cmd(exe("MM1_STUDYSim"), "-t", kind, "-N", "250", "-n", "40", "-s", "7",
                                      "-a", "run.csv", "-b", "run.bin")
            self.assertEqual(rc, 0, err)
            fields, records = read(self.path("run.bin"))
            text, batches = ascii_values(self.path("run.csv"))
            self.assertEqual(fields["SEED"], "7")
            self.assertEqual(fields["EXPERIMENTS"], "0")
            self.assertEqual(int(fields["BATCHES"]), batches)
            # -n 40 and 250 observations: reports of 40 (the last of 10); every record is experiment 0.
            self.assertEqual([len(r[2][measured]) for r in records], [40] * 6 + [10])
            self.assertTrue(all(r[0] == 0 and r[1] == 0 for r in records))
            binary = {}
            for _, _, values in records:
                for index, vs in values.items():
                    binary.setdefault(index, []).extend(vs)
            self.assertEqual(sorted(binary), sorted(text))
            for index in text:
                self.assertEqual(len(binary[index]), 250)
                # The ASCII file rounds to ten decimals.
                for b, a in zip(binary[index], text[index]):
                    self.assertLessEqual(abs(b - a), 5.1e-11 * max(1.0, abs(b)))


class FromFiles(Scratch):
    def test_same_estimates_as_the_live_run_that_wrote_the_file(self):
        # The live run uses everything when its simulator ends on its own (-N) before the rule
        # stops it; the file holds the same records. Without -t the file tells its kind.
        for kind, name in (("1", "arrivals"), ("0", "mean_in_system")):
            # The simulator ends on its own after 400 observations, so that its file holds every
            # replication it counted (one quit between reports has run some it never reported).
            rc, out, err, live = self.simmgr("--jobs", "1", "--seed", "99", "--min-obs", "300", "--precision",
                                             "0.0001", "--", exe("MM1_STUDYSim"), "-t", kind, "-N", "300", "-b",
                                             "live.bin", json_name="live.json")
            self.assertIn(rc, (0, 3), out + err)
            self.assertTrue(live["experiments"][0]["stop_reason"].startswith("all simulators ended"), out)
            rc, out, err, read = self.simmgr("--from-files", "live.bin", "--", exe("MM1_STUDYSim"),
                                             json_name="read.json")
            self.assertIn(rc, (0, 3), out + err)
            a, b = live["experiments"][0], read["experiments"][0]
            self.assertEqual(read["context"]["run_kinds"], ["terminating" if kind == "1" else "steady_state"])
            self.assertEqual([v["name"] for v in b["variables"]], [name])
            # One simulator: the same records in the same order, so the same numbers exactly.
            for key in ("observations", "mean", "variance", "half_width", "low", "high"):
                self.assertEqual(a["variables"][0][key], b["variables"][0][key], key)
            self.assertEqual(a["ignored_observations"], b["ignored_observations"])
            self.assertEqual(a["processes"][0]["seed"], b["processes"][0]["seed"])
            self.assertEqual(b["stop_reason"], a["stop_reason"].replace("all simulators ended", "read from files"))
            self.assertEqual(read["context"]["from_files"], ["live.bin"])
            self.assertIn("read from:   live.bin (no simulator was run)", out)

    def test_several_files_pool_like_an_offline_computation(self):
        for seed in ("11", "12"):
            rc, _, err = self.run_cmd(exe("MM1_STUDYSim"), "-e", "1", "-N", "400", "-s", seed, "-a",
                                      "run%s.csv" % seed, "-b", "run%s.bin" % seed)
            self.assertEqual(rc, 0, err)
        rc, out, err, doc = self.simmgr("--from-files", "run11.bin", "run12.bin", "--", exe("MM1_STUDYSim"))
        self.assertEqual(rc, 0, out + err)
        e = doc["experiments"][0]
        self.assertEqual(e["experiment"], 1)
        arrivals = ascii_values(self.path("run11.csv"))[0][1] + ascii_values(self.path("run12.csv"))[0][1]
        v = e["variables"][0]
        self.assertEqual(v["observations"], 800)
        self.assertTrue(math.isclose(v["mean"], statistics.fmean(arrivals), rel_tol=1e-12))
        self.assertTrue(math.isclose(v["variance"], statistics.variance(arrivals), rel_tol=1e-12))
        self.assertEqual([p["observations"] for p in e["processes"]], [400, 400])
        self.assertEqual([p["seed"] for p in e["processes"]], [11, 12])
        # The ASCII files give the same pool (their values are whole numbers here).
        rc, out, err, text = self.simmgr("--from-files", "run11.csv", "run12.csv", "--", exe("MM1_STUDYSim"),
                                         json_name="text.json")
        self.assertEqual(rc, 0, out + err)
        self.assertEqual(text["experiments"][0]["variables"][0]["mean"], v["mean"])

    def test_unreadable_and_cut_files(self):
        rc, _, err, _ = self.simmgr("--from-files", "missing.bin", "--", exe("MM1_STUDYSim"))
        self.assertEqual(rc, 1)
        self.assertIn("cannot read missing.bin", err)
        with open(self.path("other.bin"), "wb") as f:
            f.write(b"hello")
        rc, _, err, _ = self.simmgr("--from-files", "other.bin", "--", exe("MM1_STUDYSim"))
        self.assertEqual(rc, 1)
        self.assertIn("other.bin is not a result file", err)
        rc, _, err = self.run_cmd(exe("MM1_STUDYSim"), "-N", "30", "-n", "10", "-b", "cut.bin")
        self.assertEqual(rc, 0, err)
        with open(self.path("cut.bin"), "r+b") as f:
            f.truncate(os.path.getsize(self.path("cut.bin")) - 3)
        rc, out, err, doc = self.simmgr("--from-files", "cut.bin", "--min-obs", "10", "--", exe("MM1_STUDYSim"))
        self.assertEqual(rc, 3, err)
        self.assertIn("last record cut short", err)
        p = doc["experiments"][0]["processes"][0]
        self.assertTrue(p["fault"])
        self.assertEqual(p["observations"], 20)  # two whole reports of ten

    def test_files_cut_where_no_record_shows_it_are_read_and_reported_incomplete(self):
        rc, _, err = self.run_cmd(exe("MM1_STUDYSim"), "-N", "500", "-n", "10", "-s", "3", "-b", "run.bin",
                                  "-a", "run.csv")
        self.assertEqual(rc, 0, err)
        with open(self.path("run.bin"), "rb") as f:
            data = f.read()
        at = 256
        for _ in range(25):  # 25 whole records of 10 replications: half of what the header says
            at += int.from_bytes(data[at:at + 4], "big")
        with open(self.path("half.bin"), "wb") as f:
            f.write(data[:at])
        with open(self.path("run.csv"), "rb") as f:
            text = f.read()
        body = text[:text.index(b"#META_DATA")]
        cases = {
            "half.bin": (data[:at], "holds 250 observations but its header says 500"),
            # Cut inside the last value: "1,13.0" became "1,13", and the closing line is gone.
            "cut_value.csv": (body[:-3], "its last line has no line end"),
            "unclosed.csv": (body, "no closing #META_DATA line"),
            # The last report (ten values of each variable) gone, the closing line kept.
            "short.csv": (b"".join(body.splitlines(keepends=True)[:-20]) + text[len(body):],
                          "holds 490 observations but its closing line says 500"),
        }
        for name, (content, said) in cases.items():
            with open(self.path(name), "wb") as f:
                f.write(content)
            rc, out, err, doc = self.simmgr("--from-files", name, "--", exe("MM1_STUDYSim"), json_name=name + ".json")
            self.assertEqual(rc, 3, name + out + err)
            self.assertIn("simmgr: %s: warning: %s" % (name, said), err)
            self.assertTrue(doc["experiments"][0]["processes"][0]["fault"], name)
            if name == "unclosed.csv":
                self.assertEqual(doc["experiments"][0]["variables"][0]["observations"], 500)  # every line read

        # A file saved with Windows line ends reads as the original does.
        with open(self.path("crlf.csv"), "wb") as f:
            f.write(text.replace(b"\n", b"\r\n"))
        rc, out, err, crlf = self.simmgr("--from-files", "crlf.csv", "--", exe("MM1_STUDYSim"), json_name="c.json")
        self.assertEqual(rc, 0, out + err)
        rc, out, err, lf = self.simmgr("--from-files", "run.csv", "--", exe("MM1_STUDYSim"), json_name="l.json")
        self.assertEqual(rc, 0, out + err)
        self.assertEqual(crlf["experiments"][0]["variables"], lf["experiments"][0]["variables"])
        self.assertEqual(lf["experiments"][0]["variables"][0]["observations"], 500)

    def test_simulators_of_one_run_write_result_files_of_their_own(self):
        rc, out, err, live = self.simmgr("--jobs", "2", "--min-obs", "400", "--precision", "0", "--report-size",
                                         "20", "--", exe("MM1_STUDYSim"), "-t", "1", "-N", "300", "-b", "run.bin")
        self.assertEqual(rc, 0, out + err)
        files = ["run.e0.c0.bin", "run.e0.c1.bin"]
        self.assertFalse(os.path.exists(self.path("run.bin")))
        rc, out, err, read = self.simmgr("--from-files", *files, "--", exe("MM1_STUDYSim"), json_name="read.json")
        self.assertEqual(rc, 0, out + err)
        # Each file holds its own simulator's replications, whole.
        self.assertEqual([(p["seed"], p["observations"]) for p in read["experiments"][0]["processes"]],
                         [(p["seed"], 300) for p in live["experiments"][0]["processes"]])
        a, b = read["experiments"][0]["variables"][0], live["experiments"][0]["variables"][0]
        self.assertEqual(a["observations"], 600)
        self.assertEqual(a["observations"], b["observations"])
        self.assertTrue(math.isclose(a["mean"], b["mean"], rel_tol=1e-12))  # pooled in another order
        self.assertEqual(len(set(p["seed"] for p in read["experiments"][0]["processes"])), 2)


class Experiments(Scratch):
    HASH = "0123456789abcdef" * 4
    STUDY = ("description_sha256\t%s\n"
             "global\tlambda\tdouble\td\nglobal\tmu\tdouble\td\n"
             "a_later_kind\tof line\n"
             "experiment\t0\tlambda=0.5\tlambda=0.5\tmu=1\n"
             "experiment\t1\trho \"high\", fast\tlambda=0.8\tmu=1\n"
             "experiment\t2\tlambda=0.9\tlambda=0.9\tmu=1\n" % HASH)

    def setUp(self):
        super().setUp()
        # The M/M/1 simulator under a study file whose experiments have names a list must cope with; its
        # terminating runs alone (-t 1) are enough for what these tests look at.
        suffix = ".exe" if EMULATOR else ""
        self.sim = self.path("mm1") + suffix
        shutil.copy(exe("MM1_STUDYSim") + suffix, self.sim)
        for ext in (".pv", ".pvkind"):
            shutil.copy(exe("MM1_STUDYSim") + ext, self.path("mm1") + ext)
        with open(self.path("mm1.study"), "w") as f:
            f.write(self.STUDY)

    def test_every_output_names_each_experiment_and_its_values(self):
        before = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
        args = ["--jobs", "1", "--experiments", 'rho "high", fast,0', "--min-obs", "50", "--precision", "1",
                "--csv", "r.csv", "--", self.sim, "-t", "1", "-O", "d:mu:2"]
        rc, out, err, doc = self.simmgr(*args)
        self.assertEqual(rc, 0, out + err)
        after = datetime.datetime.now(datetime.timezone.utc)
        exps = doc["experiments"]
        self.assertEqual([(e["experiment"], e["name"], e["globals"]) for e in exps],
                         [(1, 'rho "high", fast', {"lambda": 0.8, "mu": 2}), (0, "lambda=0.5", {"lambda": 0.5, "mu": 2})])
        self.assertIn('Experiment 1: ', out)
        self.assertIn('  name:        rho "high", fast\n  globals:     lambda=0.8 mu=2\n', out)

        # Provenance: version, description, command line, start time, hosts.
        p = doc["provenance"]
        _, version, _ = self.run_cmd(exe("simmgr"), "--version")
        self.assertEqual("simmgr " + p["simmgr_version"] + "\n", version)
        self.assertEqual(p["description_sha256"], self.HASH)
        self.assertEqual(p["command"][1:], ["--quiet", "--json", self.path("result.json"), *args])
        start = datetime.datetime.strptime(p["start_time"], "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=datetime.timezone.utc)
        self.assertTrue(before <= start <= after, (before, start, after))
        self.assertEqual(p["hosts"], ["127.0.0.1"])
        self.assertIn("version:     simmgr " + p["simmgr_version"], out)
        self.assertIn("description: sha256 " + self.HASH, out)

        # The CSV: one column per global variable, the name quoted as CSV quotes it, and the
        # provenance in columns, so it loads as it is.
        with open(self.path("r.csv"), newline="") as f:
            rows = list(csv.DictReader(f))
        self.assertEqual([(r["experiment"], r["experiment_name"], r["lambda"], r["mu"]) for r in rows],
                         [("1", 'rho "high", fast', "0.8", "2"), ("0", "lambda=0.5", "0.5", "2")])
        for r in rows:
            self.assertEqual(r["variable"], "arrivals")
            self.assertEqual(r["description_sha256"], self.HASH)
            self.assertEqual(r["start_time"], p["start_time"])
            self.assertEqual(r["simmgr_version"], p["simmgr_version"])
            self.assertEqual(r["hosts"], "127.0.0.1")

        # --list shows the same names and the overridden values.
        rc, out, err = self.run_cmd(exe("simmgr"), "--list", "--", self.sim, "-O", "d:mu:2")
        self.assertEqual(rc, 0, err)
        self.assertIn('    1  rho "high", fast  lambda=0.8  mu=2\n', out)

    def test_lists_by_range_name_or_all_and_what_the_study_lacks(self):
        rc, out, err, doc = self.simmgr("--jobs", "1", "--experiments", "all", "--max-obs", "20", "--", self.sim, "-t", "1")
        self.assertEqual(rc, 0, out + err)
        self.assertEqual([e["name"] for e in doc["experiments"]], ["lambda=0.5", 'rho "high", fast', "lambda=0.9"])
        for bad, said in (("0-5", "the study has no experiment 3"), ("rho_0.9", "the study has no experiment 'rho_0.9'")):
            rc, out, err, doc = self.simmgr("--jobs", "1", "--experiments", bad, "--", self.sim,
                                            json_name="bad.json")
            self.assertEqual(rc, 1, out + err)
            self.assertIn("simmgr: bad value '%s' for --experiments: %s; it has 0 (lambda=0.5), "
                          '1 (rho "high", fast), 2 (lambda=0.9)\n' % (bad, said), err)
            self.assertEqual(out, "")  # nothing ran
            self.assertIsNone(doc)

    def test_without_a_study_file_only_indices_work(self):
        os.remove(self.path("mm1.study"))
        rc, out, err, doc = self.simmgr("--jobs", "1", "--experiments", "1", "--max-obs", "20", "--", self.sim, "-t", "1")
        self.assertEqual(rc, 0, out + err)
        self.assertEqual((doc["experiments"][0]["name"], doc["experiments"][0]["globals"]), ("Experiment 2", {}))
        self.assertIsNone(doc["provenance"]["description_sha256"])
        rc, out, err, _ = self.simmgr("--experiments", "all", "--", self.sim, json_name="bad.json")
        self.assertEqual(rc, 1)
        self.assertIn("'all' is not an experiment index or range", err)


class Sweep(Scratch):
    """A generated model whose study is a range sweep (tests/unit/sangen/counter.yaml: step swept
    over 0.5, 1 and 1.5; the count climbs from 32760 to its limit 32767 and stays there, so every
    replication observes exactly 32767 at t = 100): every output names each point and gives the
    values of all three global variables."""

    NAMES = ["step=0.5", "step=1", "step=1.5"]
    STEPS = [0.5, 1.0, 1.5]

    def test_every_output_of_a_sweep_names_its_points_and_their_values(self):
        rc, out, err, doc = self.simmgr("--jobs", "1", "--experiments", "all", "--min-obs", "20", "--csv",
                                        "sweep.csv", "--", exe("COUNTER_Sim"))
        self.assertEqual(rc, 0, out + err)
        self.assertEqual([(e["experiment"], e["name"]) for e in doc["experiments"]], list(enumerate(self.NAMES)))
        for e, step in zip(doc["experiments"], self.STEPS):
            self.assertEqual(e["globals"], {"start": 32760, "limit": 32767, "step": step})
            self.assertEqual([(v["name"], v["mean"], v["variance"]) for v in e["variables"]],
                             [("count", 32767.0, 0.0)])
        for name, step in zip(self.NAMES, self.STEPS):
            self.assertIn("  name:        %s\n  globals:     start=32760 limit=32767 step=%g\n" % (name, step), out)
        # One column per global variable: the sweep loads into a data frame as it is.
        with open(self.path("sweep.csv"), newline="") as f:
            rows = list(csv.DictReader(f))
        self.assertEqual([(r["experiment"], r["experiment_name"], r["start"], r["limit"], float(r["step"]))
                          for r in rows],
                         [(str(i), n, "32760", "32767", s) for i, (n, s) in enumerate(zip(self.NAMES, self.STEPS))])
        # A point chosen by its generated name; --list shows the same names and values.
        rc, out, err, doc = self.simmgr("--jobs", "1", "--experiments", "step=1", "--min-obs", "20", "--",
                                        exe("COUNTER_Sim"), json_name="one.json")
        self.assertEqual(rc, 0, out + err)
        self.assertEqual([e["experiment"] for e in doc["experiments"]], [1])
        rc, out, err = self.run_cmd(exe("simmgr"), "--list", "--", exe("COUNTER_Sim"))
        self.assertEqual(rc, 0, err)
        for name in self.NAMES:
            self.assertIn(name, out)
        # The simulator itself prints its point's values before it runs.
        rc, out, err = self.run_cmd(exe("COUNTER_Sim"), "-e", "2", "-N", "1")
        self.assertEqual(rc, 0, err)
        self.assertIn("The Global Variable values for experiment step=1.5 are:\n  start = 32760\n"
                      "  limit = 32767\n  step = 1.5\n", out)


class Listing(Scratch):
    def test_the_example_studies(self):
        expected = {
            "MM1_STUDYSim": (["mean_in_system  steady_state", "arrivals        terminating"],
                             ['lambda  double   d   e.g. -O "d:lambda:VALUE"'],
                             ["0  rho_0.5  lambda=0.5  mu=1", "1  rho_0.8  lambda=0.8  mu=1",
                              "2  rho_0.9  lambda=0.9  mu=1"]),
            "GPUS_STUDYSim": (["token_game  terminating    interval of time         [0, 1]"], ["(none)"],
                              ["0  Experiment 1\n"]),
            "ERLANG_STUDYSim": (["all_busy  steady_state", "blocked   steady_state"],
                                ['c             int      i   e.g. -O "i:c:VALUE"'],
                                ["2  service_dist=Uniform  c=5  lambda=4  service_dist=11"]),
            "REPAIR_STUDYSim": (["machines_down  steady_state"], ["N       int      i"],
                                ["1  N=10,lambda=0.1  N=10  lambda=0.1  mu=1"]),
        }
        for sim, (variables, globals_, experiments) in expected.items():
            rc, out, err = self.run_cmd(exe("simmgr"), "--list", "--", exe(sim))
            self.assertEqual(rc, 0, err)
            for text in variables + globals_ + experiments:
                self.assertIn(text, out, sim)
            with open(exe(sim) + ".study") as f:
                study = f.read()
            listed = [l for l in out.split("\nExperiments (", 1)[1].splitlines()[1:] if l.strip()]
            self.assertEqual(len(listed), study.count("\nexperiment\t") + study.startswith("experiment\t"))

    def test_a_composed_model_shows_what_each_variable_reads(self):
        # models/farm.yaml: two Server copies; two variables averaged over them, one of the first
        # copy only, one summed.
        rc, out, err = self.run_cmd(exe("simmgr"), "--list", "--", exe("FARM_STUDYSim"))
        self.assertEqual(rc, 0, err)
        rows = [l for l in out.split("\nGlobal variables", 1)[0].splitlines() if "steady state" in l]
        self.assertEqual([r.split("]  ", 1)[1] for r in rows],
                         ["average over Server (2 instances)", "average over Server (2 instances)",
                          "over Farm.Server[0]", "sum over Server (2 instances)"])
        # The names are the variables' own, wherever else they are shown.
        with open(exe("FARM_STUDYSim") + ".pvkind") as f:
            self.assertEqual([l.split()[1] for l in f], ["availability", "mean_queue", "queue_of_first",
                                                        "throughput"])
        # An atomic model's files and listing say nothing of instances.
        with open(exe("GPUS_STUDYSim") + ".study") as f:
            self.assertNotIn("reward\t", f.read())
        rc, out, err = self.run_cmd(exe("simmgr"), "--list", "--", exe("GPUS_STUDYSim"))
        self.assertEqual(rc, 0, err)
        self.assertNotIn(" over ", out)

    def test_a_simulator_without_description(self):
        suffix = ".exe" if EMULATOR else ""  # the program's own file name
        shutil.copy(exe("GPUS_STUDYSim") + suffix, self.path("bare") + suffix)
        rc, _, err = self.run_cmd(exe("simmgr"), "--list", "--", self.path("bare"))
        self.assertEqual(rc, 1)
        self.assertIn("no study description beside", err)
        # Only the reward-model files, as an older build wrote them: the variables, and a word on the rest.
        for ext in (".pv", ".pvkind"):
            shutil.copy(exe("GPUS_STUDYSim") + ext, self.path("bare") + ext)
        rc, out, err = self.run_cmd(exe("simmgr"), "--list", "--", self.path("bare"))
        self.assertEqual(rc, 0, err)
        self.assertIn("token_game", out)
        self.assertEqual(out.count("(no study description beside the simulator)"), 2, out)


    def test_a_program_named_with_its_windows_suffix_is_described_by_the_files_without_it(self):
        # The build writes X.pv, X.pvkind and X.study beside the program X (X.exe on Windows).
        shutil.copy(exe("MM1_STUDYSim") + (".exe" if EMULATOR else ""), self.path("mm1.exe"))
        for ext in (".pv", ".pvkind", ".study"):
            shutil.copy(exe("MM1_STUDYSim") + ext, self.path("mm1") + ext)
        rc, out, err = self.run_cmd(exe("simmgr"), "--list", "--", self.path("mm1.exe"))
        self.assertEqual(rc, 0, err)
        self.assertIn("mean_in_system  steady_state", out)
        self.assertIn("2  rho_0.9  lambda=0.9  mu=1", out)


class Messages(Scratch):
    def test_warnings_of_simulators_that_exit_well_reach_the_table_and_the_json_once(self):
        rc, out, err, doc = self.simmgr("--jobs", "2", "--min-obs", "4000", "--report-size", "500", "--",
                                        exe("GPUS_STUDYSim"))
        self.assertEqual(rc, 0, out + err)
        e = doc["experiments"][0]
        texts = [m["text"] for m in e["messages"]]
        for action in ("READ_FROM_case1", "READ_FROM_case2"):
            line = ('Warning: performance variable "token_game": impulse action "%s" does not exist in model '
                    '"GPU_MODEL_ATOMIC_COMPOSITION"; the impulse is ignored.' % action)
            self.assertEqual(texts.count(line), 1, texts)
            self.assertEqual(len(re.findall(r"    clients? [0-9,]+: " + re.escape(line) + "\n", out)), 1, out)
        self.assertNotIn("GOOD EXIT", out)
        linked = [p["client"] for p in e["processes"] if p["simulator_pid"]]
        for m in e["messages"]:
            self.assertTrue(set(linked) <= set(m["clients"]), m)

    def test_processes_count_observations_in_the_tables_unit(self):
        # Two variables; each replication gives a value of both, but it is one observation. The
        # results hold the first 500; what came after the stop is counted per process.
        rc, out, err, doc = self.simmgr("--jobs", "1", "--max-obs", "500", "--precision", "0", "--",
                                        exe("MM1_STUDYSim"), "-t", "1")
        self.assertEqual(rc, 0, out + err)
        e = doc["experiments"][0]
        p = e["processes"][0]
        self.assertEqual(p["observations_used"], 500)
        self.assertEqual(e["variables"][0]["observations"], 500)
        self.assertEqual(e["observations"], 500)
        self.assertEqual(e["observations_not_used"], p["observations"] - 500)
        self.assertEqual(e["ignored_observations"], p["observations"])  # mean_in_system's 0.0 values
        self.assertIn("obs:         observations: one per replication (terminating) or batch", out)

    def test_the_job_limit_is_in_the_message(self):
        rc, _, err = self.run_cmd(exe("simmgr"), "--jobs", "1000", "--", exe("GPUS_STUDYSim"))
        self.assertEqual(rc, 1)
        self.assertIn("simmgr: bad value '1000' for --jobs: give 1 to 256", err)

    def test_simtest_that_is_not_a_number_is_warned_about_and_behaves_as_zero(self):
        _, zero_out, zero_err = self.run_cmd(exe("MM1_STUDYSim"), "-N", "50", "-a", "zero.csv",
                                             env={"SIMTEST": "0"})
        for value in ("", "abc"):
            rc, out, err = self.run_cmd(exe("MM1_STUDYSim"), "-N", "50", "-a", "other.csv",
                                        env={"SIMTEST": value})
            self.assertEqual(rc, 0, err)
            self.assertEqual(err, 'Warning: SIMTEST="%s" is not a number; it counts as 0\n' % value + zero_err)
            mask = lambda s: re.sub(r"(Time=|CPU time \(s\): |ASCIIFilename: ).*", r"\1", s)
            self.assertEqual(mask(out), mask(zero_out))
            with open(self.path("zero.csv")) as a, open(self.path("other.csv")) as b:
                self.assertEqual(a.read(), b.read())


class GlobalValues(Scratch):
    def fired(self, out):
        return int(re.search(r"^Actions fired: (\d+)$", out, re.M).group(1))

    # The study shows its values once the experiment and the -O text have been applied, before
    # the engine is built; the run then uses the overridden value. Experiment 0 of MM1 has
    # lambda 0.5, experiment 1 lambda 0.8 (mu 1 in both): with -O d:lambda:0.8 experiment 0 is
    # experiment 1, draw for draw.
    def test_the_values_follow_the_overrides_and_precede_the_run(self):
        rc, out, err = self.run_cmd(exe("MM1_STUDYSim"), "-N", "50", "-e", "0", "-O", "d:lambda:0.8")
        self.assertEqual(rc, 0, err)
        lines = out.splitlines()
        header = [i for i, line in enumerate(lines)
                  if line == "The Global Variable values for experiment rho_0.5 are:"]
        self.assertEqual(len(header), 1, out)
        # The values printed are the ones the run uses: the override, and mu as the experiment has it.
        self.assertEqual(lines[header[0] + 1:header[0] + 3], ["  lambda = 0.8", "  mu = 1"])
        self.assertLess(lines.index("Overriding global variables in simulator"), header[0])
        self.assertLess(header[0], lines.index("GenerateConnectivityList()"))
        _, out1, _ = self.run_cmd(exe("MM1_STUDYSim"), "-N", "50", "-e", "1")
        _, out0, _ = self.run_cmd(exe("MM1_STUDYSim"), "-N", "50", "-e", "0")
        self.assertEqual(self.fired(out), self.fired(out1))
        self.assertNotEqual(self.fired(out), self.fired(out0))
        self.assertEqual(len([line for line in out1.splitlines()
                              if line == "The Global Variable values for experiment rho_0.8 are:"]), 1)

    # The carried model's study has no global variable: its output gains nothing.
    def test_a_study_without_global_variables_prints_nothing_new(self):
        rc, out, err = self.run_cmd(exe("GPUS_STUDYSim"), "-N", "1")
        self.assertEqual(rc, 0, err)
        self.assertNotIn("Global Variable", out)
        self.assertNotIn("global variables", out)


def stripped(doc):
    """The JSON without what depends on timing or on the machine: times, process ids, and how
    many observations arrived after the stop (the figures never use them, and a variable the kind
    of run ignores is counted as it arrives)."""
    for e in doc["experiments"]:
        for key in ("seconds", "observations_not_used", "ignored_observations"):
            e.pop(key, None)
        for p in e.get("phases", []):
            p.pop("seconds", None)
            p.pop("observations_not_used", None)
        for p in e["processes"]:
            for key in ("simulator_pid", "cpu_seconds", "observations"):
                p.pop(key, None)
    return doc


def without_start_time(text):
    """The CSV without its start_time column, the one field that differs between repeated runs."""
    rows = list(csv.reader(io.StringIO(text)))
    at = rows[0].index("start_time")
    out = io.StringIO()
    csv.writer(out, lineterminator="\n").writerows([r[:at] + r[at + 1:] for r in rows])
    return out.getvalue()


class Kinds(Scratch):
    def test_a_model_with_only_steady_state_variables_runs_them_without_being_told(self):
        rc, out, err, doc = self.simmgr("--jobs", "2", "--", exe("REPAIR_STUDYSim"))
        self.assertEqual(rc, 0, out + err)
        self.assertEqual(doc["context"]["run_kind"], "steady_state")
        e = doc["experiments"][0]
        self.assertEqual([(v["name"], v["kind"]) for v in e["variables"]], [("machines_down", "steady_state")])
        self.assertEqual(e["stop_reason"], "precision reached")
        self.assertEqual(e["ignored_observations"], 0)
        for p in e["processes"]:
            self.assertTrue(p["command"].endswith(" -t 0"), p["command"])

    def test_a_model_with_both_kinds_runs_both_and_reports_them_together(self):
        rc, out, err, doc = self.simmgr("--jobs", "2", "--csv", "both.csv", "--", exe("MM1_STUDYSim"))
        self.assertEqual(rc, 0, out + err)
        e = doc["experiments"][0]
        self.assertEqual([(v["name"], v["kind"]) for v in e["variables"]],
                         [("mean_in_system", "steady_state"), ("arrivals", "terminating")])
        self.assertEqual([p["kind"] for p in e["phases"]], ["terminating", "steady_state"])
        self.assertEqual(len(e["processes"]), 4)
        self.assertEqual(len({p["seed"] for p in e["processes"]}), 4)
        self.assertIn("run kind:    terminating, then steady state", out)
        with open(self.path("both.csv")) as f:
            rows = f.read().splitlines()[1:]
        self.assertEqual([r.split(",")[3] for r in rows], ["steady_state", "terminating"])

    def test_a_kind_the_model_lacks_is_refused_at_once(self):
        for sim, t, has in (("REPAIR_STUDYSim", "1", "steady state (machines_down): give -t 0"),
                            ("GPUS_STUDYSim", "0", "terminating (token_game): give -t 1")):
            rc, out, err = self.run_cmd(exe("simmgr"), "--", exe(sim), "-t", t, timeout=30)
            self.assertEqual(rc, 1, out + err)
            self.assertIn(has, err)
            self.assertEqual(out, "")

    def test_result_files_tell_their_kind(self):
        for args, name in ((["-t", "0", "-N", "200", "-s", "5"], "ss"), (["-N", "200", "-s", "6"], "t")):
            rc, _, err = self.run_cmd(exe("MM1_STUDYSim"), *args, "-b", name + ".bin", "-a", name + ".csv")
            self.assertEqual(rc, 0, err)
        for files in (("ss.bin", "t.bin"), ("t.csv", "ss.csv")):
            rc, out, err, doc = self.simmgr("--from-files", *files, "--", exe("MM1_STUDYSim"))
            self.assertIn(rc, (0, 3), out + err)
            e = doc["experiments"][0]
            self.assertEqual(doc["context"]["run_kinds"], ["terminating", "steady_state"])
            self.assertEqual({v["name"]: (v["kind"], v["observations"]) for v in e["variables"]},
                             {"mean_in_system": ("steady_state", 200), "arrivals": ("terminating", 200)})
            self.assertIn("(steady state)", " ".join(p["outcome"] for p in e["processes"]))
        # -t says otherwise: both files read as terminating; the steady-state run holds no arrivals.
        rc, out, err, doc = self.simmgr("--from-files", "ss.bin", "t.bin", "--", exe("MM1_STUDYSim"), "-t", "1")
        self.assertIn(rc, (0, 3), out + err)
        self.assertEqual([(v["name"], v["observations"]) for v in doc["experiments"][0]["variables"]],
                         [("arrivals", 200)])


class Reproducible(Scratch):
    def test_the_same_seed_gives_the_same_figures_whatever_the_load(self):
        # A busy process competes for the processors, so the simulators' records arrive in another
        # order each time; the CSV must not change by a byte, nor the JSON beyond timings and ids.
        busy = subprocess.Popen([sys.executable, "-c", "while True: pass"])
        try:
            for jobs in ("2", "4"):
                first_csv = first_json = None
                for i in range(3):
                    rc, out, err, doc = self.simmgr(
                        "--jobs", jobs, "--experiments", "0,1", "--report-size", "10", "--csv",
                        "r.csv", "--", exe("MM1_STUDYSim"), json_name="r.json")
                    self.assertEqual(rc, 0, out + err)
                    with open(self.path("r.csv")) as f:
                        csv = without_start_time(f.read())
                    for e in doc["experiments"]:
                        self.assertTrue(e["reproducible"], e["stop_reason"])
                    doc = stripped(doc)
                    if first_csv is None:
                        first_csv, first_json = csv, doc
                        continue
                    self.assertEqual(csv, first_csv, "jobs %s, run %d" % (jobs, i))
                    self.assertEqual(doc["experiments"], first_json["experiments"], "jobs %s, run %d" % (jobs, i))
        finally:
            busy.kill()
            busy.wait()


class DescriptionFailure(Scratch):
    def test_the_build_prints_the_reason(self):
        tool = self.path("describe")
        with open(tool, "w") as f:
            f.write("#!/bin/sh\necho 'ERROR: reward variable \"busy\" reads place \"Queue\" the model lacks' >&2\n"
                    "exit 1\n")
        os.chmod(tool, 0o755)
        rc, out, err = self.run_cmd(CMAKE, "-DTOOL=" + tool, "-DSIM=BrokenSim", "-DPV=b.pv", "-DKIND=b.pvkind",
                                    "-DSTUDY=b.study", "-DLOG=" + self.path("b.log"), "-P", DESCRIBE)
        self.assertNotEqual(rc, 0)
        self.assertIn("The study description of BrokenSim could not be written (status 1)", err)
        self.assertIn('reward variable "busy" reads place "Queue" the model lacks', err)
        self.assertIn("b.log", err)

    def test_a_good_description_is_quiet(self):
        tool = self.path("describe")
        with open(tool, "w") as f:
            f.write("#!/bin/sh\necho 'Warning: something about the model' >&2\nexit 0\n")
        os.chmod(tool, 0o755)
        rc, out, err = self.run_cmd(CMAKE, "-DTOOL=" + tool, "-DSIM=Sim", "-DPV=a", "-DKIND=b", "-DSTUDY=c",
                                    "-DLOG=" + self.path("a.log"), "-P", DESCRIBE)
        self.assertEqual((rc, out, err), (0, "", ""))
        with open(self.path("a.log")) as f:
            self.assertIn("something about the model", f.read())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--formats", required=True)
    parser.add_argument("--describe", required=True)
    parser.add_argument("--cmake", required=True)
    args, rest = parser.parse_known_args()
    BIN = os.path.abspath(args.bin)
    FORMATS = os.path.abspath(args.formats)
    DESCRIBE = os.path.abspath(args.describe)
    CMAKE = args.cmake
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
