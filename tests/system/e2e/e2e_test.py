#!/usr/bin/env python3
"""End-to-end tests of the carried study's simulator.

Runs the real executable in a scratch directory and compares standard output (CPU times masked),
standard error, exit codes and result files with golden files, and plays the simulation manager
over TCP: greeting, CPU-time and data records, replies to the one-byte commands.
"""
import argparse
import os
import re
import select
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

SIMULATOR = None
GOLDEN = None
GOOD_EXIT = "SIMULATOR::MAIN()-GOOD EXIT\n"
WAIT_VARIABLE = "KAVRIN_TEST_SIMMGR_WAIT_MS"


def mask(text):
    text = re.sub(r"^(GenerateConnectivityList\(\) Time=).*$", r"\1<cpu>", text, flags=re.M)
    return re.sub(r"^(CPU time \(s\): ).*$", r"\1<cpu>", text, flags=re.M)


def golden(case, name, mode="r"):
    with open(os.path.join(GOLDEN, case, name), mode) as f:
        return f.read()


class ScratchDirTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="e2e_")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name, mode="r"):
        with open(self.path(name), mode) as f:
            return f.read()

    def run_sim(self, *args, env=None, timeout=60):
        full_env = dict(os.environ)
        full_env.pop("SIMTEST", None)
        full_env.update(env or {})
        p = subprocess.run([SIMULATOR, *args], cwd=self.dir, env=full_env, capture_output=True,
                           text=True, timeout=timeout)
        return p.returncode, p.stdout, p.stderr


class ResultFiles(ScratchDirTest):
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

    def test_result_files_that_cannot_be_opened_end_the_run_before_it_starts(self):
        for option in ("-a", "-b"):
            rc, out, err = self.run_sim(option, "no_such_dir/out", "-N", "1")
            self.assertEqual(rc, 1, option)
            self.assertIn("'no_such_dir/out'", err)
            self.assertIn("No such file or directory", err)
            self.assertNotIn("Actions fired", out)


class RunKinds(ScratchDirTest):
    def test_steady_state_run_of_a_model_without_steady_state_variables(self):
        rc, out, err = self.run_sim("-t", "0", "-N", "3", "-a", "out.csv", "-b", "out.bin")
        self.assertEqual(rc, 0, err)
        self.assertIn("no steady-state performance variable", err)
        self.assertIn("Actions fired: 0\n", out)
        self.assertTrue(out.endswith(GOOD_EXIT))
        self.assertEqual(self.read("out.csv").splitlines()[2:], ["#META_DATA,BATCHES=0"])
        header = self.read("out.bin", "rb")
        self.assertEqual(len(header), 256)
        self.assertIn(b",BATCHES=0,,", header)

    def test_every_connectivity_builder_gives_the_same_results(self):
        results = {}
        for simtest in ("0", "1", "2"):
            rc, out, err = self.run_sim("-N", "4", "-a", "out.csv", env={"SIMTEST": simtest})
            self.assertEqual(rc, 0, err)
            builder = "GenerateConnectivityList()" if simtest == "2" else "GenerateConnectivityListOld()"
            self.assertIn(builder + "\n", out)
            self.assertIn("Actions fired: 16\n", out)
            results[simtest] = self.read("out.csv")
        self.assertEqual(results["0"], results["2"])
        self.assertEqual(results["1"], results["2"])

    def test_an_unknown_builder_choice_builds_nothing_and_warns(self):
        rc, out, err = self.run_sim("-N", "1", env={"SIMTEST": "5"})
        self.assertEqual(rc, 0, err)
        self.assertIn("SIMTEST=5", err)
        self.assertNotIn("GenerateConnectivityList()\n", out)
        self.assertIn("GenerateConnectivityList() Time=", out)

    def test_seed_zero_is_written_as_the_default_seed(self):
        rc, _, err = self.run_sim("-N", "1", "-s", "0", "-r", "2", "-a", "out.csv")
        self.assertEqual(rc, 0, err)
        self.assertIn("SEED=31415,RANDOMGEN=Mersenne Twister\n", self.read("out.csv"))


def hexdiff(expected, actual):
    for i in range(max(len(expected), len(actual))):
        e = expected[i:i + 1]
        a = actual[i:i + 1]
        if e != a:
            start = i - i % 16
            return "first difference at byte %d\nexpected %s\nactual   %s" % (
                i, expected[start:start + 32].hex(" "), actual[start:start + 32].hex(" "))
    return "identical"


class Simulator:
    """A simulator started with -w, read line by line, and the manager's side of its link."""

    def __init__(self, test, *args, wait_ms=20000):
        env = dict(os.environ)
        env.pop("SIMTEST", None)
        env[WAIT_VARIABLE] = str(wait_ms)
        self.proc = subprocess.Popen([SIMULATOR, "-w", *args], cwd=test.dir, env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out_lines = []
        self.err = b""
        self._reader = threading.Thread(target=self._read_stdout, daemon=True)
        self._reader.start()
        self.sock = None

    def _read_stdout(self):
        for line in self.proc.stdout:
            self.out_lines.append(line.decode())

    def port(self, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for line in list(self.out_lines):
                m = re.fullmatch(r"REGISTER:  Port: \[(\d+)\]\n", line)
                if m:
                    return int(m.group(1))
            time.sleep(0.01)
        raise AssertionError("no REGISTER line: %r" % self.out_lines)

    def connect(self):
        self.sock = socket.create_connection(("127.0.0.1", self.port()), timeout=20)
        return self.sock

    def recv_exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise EOFError("link closed after %d of %d bytes" % (len(data), n))
            data += chunk
        return data

    def record(self):
        """One record: ('reply', marker, code, pid), ('cpu', client, exp, secs) or ('data', bytes)."""
        head = self.recv_exact(4)
        (length,) = struct.unpack(">i", head)
        if length == 10:
            marker, code, pid = struct.unpack(">BBi", self.recv_exact(6))
            return ("reply", marker, code, pid)
        if length == 12:
            marker, client, exp, secs = struct.unpack(">BBHd", self.recv_exact(12))
            assert marker == 0xFE
            return ("cpu", client, exp, secs)
        return ("data", head + self.recv_exact(length - 4))

    def until_reply(self, limit=100000):
        seen = []
        for _ in range(limit):
            r = self.record()
            if r[0] == "reply":
                return r, seen
            seen.append(r)
        raise AssertionError("no reply")

    def at_eof(self, timeout=20):
        self.sock.settimeout(timeout)
        try:
            while True:
                if not self.sock.recv(65536):
                    return True
        except (ConnectionResetError, socket.timeout):
            return False

    def finish(self, timeout=60):
        rc = self.proc.wait(timeout=timeout)
        self._reader.join(timeout=5)
        self.err = self.proc.stderr.read().decode()
        if self.sock:
            self.sock.close()
        return rc, "".join(self.out_lines), self.err

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def parse_data(record):
    length, client, exp, blocks = struct.unpack(">iBHH", record[:9])
    assert length == len(record)
    pos, out = 9, []
    for _ in range(blocks):
        pv, kind, n = struct.unpack(">HBi", record[pos:pos + 7])
        pos += 7
        values = struct.unpack(">%dd" % n, record[pos:pos + 8 * n])
        pos += 8 * n
        out.append((pv, kind, values))
    assert pos == length
    return out


class ManagerLink(ScratchDirTest):
    def setUp(self):
        super().setUp()
        self.sims = []

    def tearDown(self):
        for s in self.sims:
            s.kill()
        super().tearDown()

    def start(self, *args, **kw):
        s = Simulator(self, *args, **kw)
        self.sims.append(s)
        return s

    def test_greeting_records_are_you_there_and_quit(self):
        sim = self.start("-p", "0", "-n", "1", "-c", "3", "-e", "0")
        sim.connect()
        self.assertEqual(sim.recv_exact(10),
                         bytes([0, 0, 0, 10, 0xFF, 1]) + struct.pack(">i", sim.proc.pid))
        # The first ten reports are flushed at once: a CPU-time record, then a data record.
        kind, client, exp, secs = sim.record()
        self.assertEqual((kind, client, exp), ("cpu", 3, 0))
        self.assertGreaterEqual(secs, 0.0)
        data = sim.record()
        self.assertEqual(data[0], "data")
        self.assertEqual(data[1][4], 3)
        self.assertEqual(parse_data(data[1]), [(0, 1, (4.0,))])

        sim.sock.sendall(b"\x01")
        reply, seen = sim.until_reply()
        self.assertEqual(reply, ("reply", 0xFF, 1, sim.proc.pid))
        for r in seen:
            self.assertIn(r[0], ("cpu", "data"))
        sim.sock.sendall(b"\x02")
        reply, _ = sim.until_reply()
        self.assertEqual(reply, ("reply", 0xFE, 2, sim.proc.pid))
        self.assertTrue(sim.at_eof())
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        self.assertIn("SOCKET::Quit\n", out)
        self.assertTrue(out.endswith(GOOD_EXIT), out)

    def test_detach_goes_on_into_the_named_file_until_the_limit(self):
        sim = self.start("-p", "0", "-n", "1")
        sim.connect()
        sim.recv_exact(10)
        sim.sock.sendall(b"\x03out.bin;50;;")
        reply, _ = sim.until_reply()
        self.assertEqual(reply, ("reply", 0xFF, 3, sim.proc.pid))
        self.assertTrue(sim.at_eof())  # nothing more goes to the socket
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        data = self.read("out.bin", "rb")
        header = data[:256].rstrip(b"\0").decode()
        batches = int(re.search(r",BATCHES=(\d+),,$", header).group(1))
        # The command is read at a report; one read late still stops at the next replication.
        self.assertGreaterEqual(batches, 50)
        self.assertIn("Actions fired: %d\n" % (4 * batches), out)
        pos, observations = 256, 0
        while pos < len(data):
            (length,) = struct.unpack(">i", data[pos:pos + 4])
            for pv, kind, values in parse_data(data[pos:pos + length]):
                self.assertEqual((pv, kind), (0, 1))
                self.assertTrue(all(v == 4.0 for v in values))
                observations += len(values)
            pos += length
        self.assertEqual(pos, len(data))
        self.assertGreater(observations, 0)
        self.assertLessEqual(observations, batches)

    def test_a_taken_port_is_stepped_over(self):
        taken = socket.socket()
        taken.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        taken.bind(("0.0.0.0", 0))
        taken.listen(1)
        first = taken.getsockname()[1]
        try:
            sim = self.start("-p", str(first), "-N", "2", wait_ms=300)
            self.assertGreater(sim.port(), first)
            rc, out, err = sim.finish()
        finally:
            taken.close()
        self.assertEqual(rc, 0, err)
        self.assertIn("Actions fired: 0\n", out)

    def test_a_manager_that_never_connects(self):
        sim = self.start("-p", "0", "-a", "out.csv", wait_ms=300)
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        lines = out.splitlines()
        self.assertRegex(out, r"REGISTER:  Port: \[\d+\]\n")
        self.assertEqual(lines[-3], "Actions fired: 0")
        self.assertTrue(lines[-2].startswith("CPU time (s): "))
        self.assertEqual(lines[-1], "SIMULATOR::MAIN()-GOOD EXIT")
        self.assertEqual(self.read("out.csv").splitlines()[2:], ["#META_DATA,BATCHES=0"])

    def test_a_manager_that_hangs_up_stops_the_run(self):
        sim = self.start("-p", "0", "-n", "1")
        sim.connect()
        sim.recv_exact(10)
        sim.sock.close()
        sim.sock = None
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        self.assertTrue(out.endswith(GOOD_EXIT), out)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--simulator", required=True)
    parser.add_argument("--golden", required=True)
    args, rest = parser.parse_known_args()
    SIMULATOR = os.path.abspath(args.simulator)
    GOLDEN = os.path.abspath(args.golden)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
