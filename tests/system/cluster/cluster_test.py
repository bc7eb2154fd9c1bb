#!/usr/bin/env python3
"""The manager on a real cluster: Slurm (inside an allocation, from an sbatch script, with a node
that dies) and ssh, each against its real daemons started by the test on this machine, with
compute nodes as network namespaces. Where the daemons cannot be had, the suite is skipped."""

import argparse
import json
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import testcluster  # noqa: E402

BIN = None
README = None
# Provenance columns of the CSV: when, how and where the run was made, not what it found.
PROVENANCE = ("start_time", "command", "hosts")


def sim(name):
    return os.path.join(BIN, name)


def csv_without_provenance(path):
    with open(path) as f:
        lines = f.read().splitlines()
    header = lines[0].split(",")
    keep = [i for i, name in enumerate(header) if name not in PROVENANCE]
    # The command column is quoted and may hold commas: the provenance columns come last.
    first = min(header.index(name) for name in PROVENANCE)
    assert all(i < first for i in keep), header
    return [",".join(line.split(",")[:first]) for line in lines]


def listening_addresses(cluster, node):
    """The local addresses that sockets listen on in the node's network namespace."""
    out = testcluster.run(*cluster.in_ns(node, "cat", "/proc/net/tcp")).stdout.splitlines()[1:]
    found = set()
    for line in out:
        fields = line.split()
        address, port = fields[1].split(":")
        if fields[3] == "0A":
            found.add(("%d.%d.%d.%d" % tuple(reversed(struct.pack(">I", int(address, 16)))), int(port, 16)))
    return found


def sbatch_example():
    """The sbatch script that tools/simmgr/README.md shows (the first sh block after its
    heading), as a user would copy it."""
    with open(README) as f:
        text = f.read()
    at = text.index("### Slurm: a batch script")
    match = re.search(r"```sh\n(.*?)```", text[at:], re.S)
    return match.group(1)


class ClusterTest(unittest.TestCase):
    nodes = 2

    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="cluster_")
        cls.cluster = testcluster.Cluster(cls.dir, cls.nodes)
        try:
            cls.cluster.create_network()
            cls.start_daemons()
        except testcluster.Unavailable as e:
            cls.cluster.stop()
            raise unittest.SkipTest(str(e))
        except BaseException:
            cls.cluster.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.cluster.stop()
        shutil.rmtree(cls.dir, ignore_errors=True)

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="run_", dir=self.dir)
        os.chmod(self.work, 0o755)

    def path(self, name):
        return os.path.join(self.work, name)

    def simmgr(self, *args, via=(), timeout=180, env=None):
        p = subprocess.run([*via, sim("simmgr"), *args], cwd=self.work, capture_output=True, text=True,
                           timeout=timeout, env=env or self.cluster.env)
        return p

    def local(self, *args):
        p = subprocess.run([sim("simmgr"), *args], cwd=self.work, capture_output=True, text=True,
                           timeout=180)
        self.assertEqual(p.returncode, 0, p.stdout + p.stderr)
        return p


class SlurmCluster(ClusterTest):
    @classmethod
    def start_daemons(cls):
        cls.cluster.start_slurm()


class Slurm(SlurmCluster):
    # The study through srun inside an allocation, hosts from the allocation: the same figures
    # as on this machine with the same seeds, byte for byte (the M/M/1 study has both kinds of
    # variable, so both phases and their batch-means analysis are compared), each job on the
    # node it was given, and each simulator listening only on its node's address.
    def test_inside_an_allocation_the_figures_are_those_of_a_local_run(self):
        study = ["--jobs", "4", "--seed", "11", "--min-obs", "3000", "--precision", "0.05", "--quiet"]
        self.local(*study, "--csv", "local.csv", "--", sim("MM1_STUDYSim"))
        for launch in ([], ["--launch", "srun -N1 -n1 --exact -w {host} {cmd}"]):
            p = self.simmgr(*study, "--hosts", "slurm", *launch, "--csv", "slurm.csv", "--json", "slurm.json",
                            "--", sim("MM1_STUDYSim"),
                            via=["salloc", "--nodes=2", "--ntasks-per-node=2", "--quiet"])
            self.assertEqual(p.returncode, 0, p.stdout + p.stderr)
            self.assertEqual(csv_without_provenance(self.path("slurm.csv")),
                             csv_without_provenance(self.path("local.csv")))
            with open(self.path("slurm.csv")) as f:
                self.assertTrue(f.read().splitlines()[1].endswith(",kn1 kn2"))
            # Client j on node j mod 2, reached at the node's address.
            clients = re.findall(r"client (\d) +seed \d+ +host (\S+)", p.stdout)
            self.assertEqual(len(clients), 8, p.stdout)
            for client, host in clients:
                self.assertEqual(host, "kn%d" % (int(client) % 2 + 1))
            # Through the launcher, each simulator was told to listen on its node's address only.
            with open(self.path("slurm.json")) as f:
                processes = json.load(f)["experiments"][0]["processes"]
            self.assertEqual(len(processes), 8)
            for proc in processes:
                expected = "env KAVRIN_LISTEN_ADDRESS=%s KAVRIN_MANAGER_ADDRESS=%s " % (
                    self.cluster.address[proc["host"]], self.cluster.here)
                self.assertIn(expected, proc["command"])
                launcher = "srun -N1 -n1 --exact -w %s " if launch else "srun --nodes=1 --ntasks=1 --exact --nodelist=%s "
                self.assertTrue(proc["command"].startswith(launcher % proc["host"]), proc["command"])

    # The trust model on the Slurm route: a simulator started through srun as the manager starts
    # it listens on its node's address only (not on every interface, not on the node's loopback),
    # and a peer other than the manager's address is closed unanswered: not even the greeting is
    # written to it, and the simulator still serves its manager afterwards.
    def test_only_the_manager_gets_anything_from_a_simulator_on_a_node(self):
        node, here = self.cluster.address["kn1"], self.cluster.here
        srun = subprocess.Popen(["srun", "-N1", "-n1", "-w", "kn1", "env", "KAVRIN_LISTEN_ADDRESS=" + node,
                                 "KAVRIN_MANAGER_ADDRESS=" + here, sim("GPUS_STUDYSim"), "-w", "-p", "0",
                                 "-N", "1"], cwd=self.work, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                env=self.cluster.env)
        try:
            line = b""
            while not line.startswith(b"REGISTER"):
                line = srun.stdout.readline()
                if not line:
                    self.fail("no REGISTER line: " + srun.stderr.read().decode())
            port = int(re.search(rb"\[(\d+)\]", line).group(1))
            listening = listening_addresses(self.cluster, "kn1")
            self.assertEqual([a for a in listening if a[1] == port], [(node, port)], listening)

            def connect_from(where, address):
                probe = ("import socket\ns = socket.create_connection((%r, %d), timeout=20)\n"
                         "data = b''\nwhile True:\n    chunk = s.recv(100)\n    data += chunk\n"
                         "    if not chunk or len(data) >= 10: break\nprint(data.hex())" % (address, port))
                return testcluster.run(*self.cluster.in_ns(where, sys.executable, "-c", probe), check=False,
                                       timeout=60)

            refused = connect_from("kn1", "127.0.0.1")
            self.assertIn("ConnectionRefusedError", refused.stderr)
            stranger = connect_from("stranger", node)
            self.assertEqual((stranger.returncode, stranger.stdout.strip()), (0, ""), stranger.stderr)
            # The manager's side: the greeting, then the one replication's records.
            with socket.create_connection((node, port), timeout=20) as s:
                greeting = b""
                while len(greeting) < 10:
                    chunk = s.recv(10 - len(greeting))
                    self.assertTrue(chunk)
                    greeting += chunk
                self.assertEqual(greeting[4:6], b"\xff\x01")
                while s.recv(65536):
                    pass
            out, err = srun.communicate(timeout=60)
        finally:
            if srun.poll() is None:
                srun.kill()
                srun.communicate()
        self.assertEqual(srun.returncode, 0, err)
        self.assertIn("!! Connection from %s closed unanswered: the simulation manager connects from %s"
                      % (self.cluster.address["stranger"], here), err.decode())

    # A simulator killed on its node is reported as one killed here: srun's status 137 is the
    # signal, the same outcome line as a local run where the same simulator is killed, and the
    # other simulator goes on.
    def test_a_simulator_killed_on_its_node_is_reported_as_here(self):
        args = ["--jobs", "2", "--min-obs", "3000000", "--max-obs", "3000000", "--progress-interval", "0.2",
                "--", sim("GPUS_STUDYSim")]
        outcomes = []
        for where in ("slurm", "here"):
            if where == "slurm":
                cmd = ["salloc", "--nodes=1", "--ntasks-per-node=2", "-w", "kn1", "--quiet", sim("simmgr"),
                       "--hosts", "slurm", *args]
            else:
                cmd = [sim("simmgr"), *args]
            out = self.run_and_kill(cmd, where)
            outcomes.append(re.search(r"client 0 +seed \d+ +host \S+ +pid \d+ +\d+ obs +cpu \S+ s +(.*)", out).group(1))
            self.assertRegex(out, r"client 1 +seed \d+ .*quit, exited with code 0")
            self.assertIn("not reproducible: 1 of 2 simulators failed", out)
        self.assertEqual(outcomes, ["ended by Killed", "ended by Killed"])

    def run_and_kill(self, cmd, where):
        """Runs cmd, kills client 0's simulator once observations flow, and returns the table."""
        with open(self.path("table.txt"), "w") as out_file:
            proc = subprocess.Popen(cmd, cwd=self.work, stdout=out_file, stderr=subprocess.PIPE, text=True,
                                    env=self.cluster.env)
        try:
            for line in proc.stderr:
                if re.search(r"n=[1-9]", line):
                    break
            if where == "slurm":
                pids = testcluster.run("ip", "netns", "pids", self.cluster.ns["kn1"]).stdout.split()
            else:
                pids = []
                for task in os.listdir("/proc/%d/task" % proc.pid):
                    with open("/proc/%d/task/%s/children" % (proc.pid, task)) as f:
                        pids += f.read().split()
            victim = None
            for pid in pids:
                try:
                    with open("/proc/%s/cmdline" % pid, "rb") as f:
                        words = f.read().split(b"\0")
                except FileNotFoundError:
                    continue
                if words[0].endswith(b"GPUS_STUDYSim") and words[words.index(b"-c") + 1] == b"0":
                    victim = int(pid)
            self.assertIsNotNone(victim)
            os.kill(victim, signal.SIGKILL)
            proc.stderr.read()
            self.assertEqual(proc.wait(timeout=180), 3)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            proc.stderr.close()
        with open(self.path("table.txt")) as f:
            return f.read()

    # Outside an allocation --hosts slurm has nothing to take the nodes from.
    def test_hosts_from_slurm_need_an_allocation(self):
        p = self.simmgr("--hosts", "slurm", "--", sim("GPUS_STUDYSim"))
        self.assertEqual(p.returncode, 1)
        self.assertIn("SLURM_JOB_NODELIST is not set", p.stderr)
        self.assertNotIn("Simulation results", p.stdout)

    # The batch script of the README, submitted as it stands: simmgr runs on the first node of
    # the allocation, the simulators on both, and the estimates are those of a local run.
    def test_the_readme_batch_script_runs_the_study(self):
        script = sbatch_example()
        self.assertIn("--hosts slurm", script)
        os.symlink(BIN, self.path("bin"))
        with open(self.path("study.sbatch"), "w") as f:
            f.write(script)
        out = testcluster.run("sbatch", "--parsable", "--wait", "study.sbatch", cwd=self.work,
                              env=self.cluster.env, check=False, timeout=240)
        job = out.stdout.strip().split(";")[0]
        log = self.path("study-%s.out" % job)
        text = "(no output file)"
        if os.path.exists(log):
            with open(log) as f:
                text = f.read()
        self.assertEqual(out.returncode, 0, out.stderr + text)
        self.assertIn("Simulation results", text)
        self.assertRegex(text, r"client 0 +seed \d+ +host kn1 ")
        self.assertRegex(text, r"client 1 +seed \d+ +host kn2 ")
        # Same study on this machine: the options of the script's simmgr line.
        line = next(line for line in script.splitlines() if line.startswith("bin/simmgr"))
        words = line.split()
        options = words[1:words.index("--")]
        i = options.index("--hosts")
        del options[i:i + 2]
        i = options.index("--csv")
        del options[i:i + 2]
        self.local(*options, "--csv", "local.csv", "--", sim("GPUS_STUDYSim"))
        self.assertEqual(csv_without_provenance(self.path("study-%s.csv" % job)),
                         csv_without_provenance(self.path("local.csv")))


class SlurmNodeDeath(SlurmCluster):
    # A node that dies in the middle of the study (every process on it killed at once): its
    # simulators are reported as failed, with the end of what srun said, the other node's go on,
    # and the exit status says the results are incomplete, as when simulators die here.
    def test_a_node_that_dies_is_reported_and_the_others_go_on(self):
        out_file = open(self.path("table.txt"), "w")
        self.addCleanup(out_file.close)
        proc = subprocess.Popen(
            ["salloc", "--nodes=2", "--ntasks-per-node=2", "--quiet", sim("simmgr"), "--jobs", "4",
             "--hosts", "slurm", "--min-obs", "3000000", "--max-obs", "3000000",
             "--progress-interval", "0.2", "--quit-timeout", "5", "--", sim("GPUS_STUDYSim")],
            cwd=self.work, stdout=out_file, stderr=subprocess.PIPE, text=True, env=self.cluster.env)
        err = []
        seen = threading.Event()

        def read_stderr():
            for line in proc.stderr:
                err.append(line)
                if re.search(r"n=[1-9]", line):
                    seen.set()

        reader = threading.Thread(target=read_stderr)
        reader.start()
        try:
            self.assertTrue(seen.wait(120), "".join(err))
            self.cluster.kill_node("kn2")
            proc.wait(timeout=180)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            reader.join()
        err = "".join(err)
        with open(self.path("table.txt")) as f:
            out = f.read()
        self.assertEqual(proc.returncode, 3, out + err)
        for client in (1, 3):  # on kn2
            self.assertRegex(out, r"client %d +seed \d+ +host kn2 .*(link|Killed|exited)" % client)
        for client in (0, 2):  # on kn1
            self.assertRegex(out, r"client %d +seed \d+ +host kn1 .*quit, exited with code 0" % client)
        self.assertIn("not reproducible: 2 of 4 simulators failed", out)


class Ssh(ClusterTest):
    nodes = 1

    @classmethod
    def start_daemons(cls):
        cls.cluster.start_sshd("kn1")

    # Through a real sshd on the node's address with a throw-away key: the simulator's path holds
    # a space and the result file named with -a a space and a quote, which {remote_cmd} carries
    # through the remote shell; the figures are those of a local run.
    def test_a_study_over_ssh_with_a_path_and_option_that_need_quoting(self):
        folder = self.path("my models")
        os.mkdir(folder)
        for suffix in ("", ".pv", ".pvkind", ".study"):
            if os.path.exists(sim("GPUS_STUDYSim") + suffix):
                shutil.copy(sim("GPUS_STUDYSim") + suffix, folder)
        exe = os.path.join(folder, "GPUS_STUDYSim")
        node = self.cluster.address["kn1"]
        ssh = " ".join(["ssh", "-T"] + [testcluster.shell_quote(w) for w in self.cluster.ssh_options])
        study = ["--jobs", "2", "--seed", "3", "--min-obs", "500", "--quiet"]
        tail = ["--", exe, "-r", "1", "-a", self.path("it's here.csv")]
        p = self.simmgr(*study, "--hosts", node, "--launch", ssh + " {host} {remote_cmd}", "--csv", "ssh.csv",
                        "--json", "ssh.json", *tail)
        self.assertEqual(p.returncode, 0, p.stdout + p.stderr)
        self.assertIn("host %s" % node, p.stdout)
        # The node's address only, and only the manager's address answered, over ssh as well.
        with open(self.path("ssh.json")) as f:
            for proc in json.load(f)["experiments"][0]["processes"]:
                self.assertIn(" 'env KAVRIN_LISTEN_ADDRESS=%s KAVRIN_MANAGER_ADDRESS=%s " % (node, self.cluster.here),
                              proc["command"])
        # Each simulator wrote its own result file under the quoted name, on the node (whose files
        # are this machine's).
        for client in (0, 1):
            with open(self.path("it's here.e0.c%d.csv" % client)) as f:
                self.assertTrue(f.readline().startswith("#KAVRIN_SIM_ASCII_FILE"))
        self.local(*study, "--csv", "local.csv", *tail)
        self.assertEqual(csv_without_provenance(self.path("ssh.csv")), csv_without_provenance(self.path("local.csv")))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.add_argument("--readme", required=True)
    args, rest = parser.parse_known_args()
    BIN = os.path.abspath(args.bin_dir)
    README = os.path.abspath(args.readme)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
