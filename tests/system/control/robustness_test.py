#!/usr/bin/env python3
"""The simulators under faulty input, failing outputs and odd peers.

Each suite runs the real executables in a scratch directory and checks standard output and
error, exit codes, result files and the bytes on the manager link.
"""
import argparse
import errno
import os
import resource
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import simlink  # noqa: E402
from simlink import GOOD_EXIT, WAIT_VARIABLE  # noqa: E402,F401

BIN = None
BUSY_LISTEN = None
SANITIZED = False
ASCII_HEADER = ("#KAVRIN_SIM_ASCII_FILE,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=0,"
                "SEED=31415,RANDOMGEN=Lagged Fibonacci\n#FORMAT: (PV ID Number),(PV Value)\n")


def sim(name):
    return os.path.join(BIN, name)


class ScratchDirTest(simlink.ScratchDirTest):
    prefix = "robust_"

    def run_sim(self, exe, *args, **kw):
        return self.run_program(sim(exe), *args, **kw)


def parse_records(data):
    """Splits a byte stream into records; data records become lists of (pv, kind, values)."""
    pos, out = 0, []
    while pos < len(data):
        (length,) = struct.unpack(">i", data[pos:pos + 4])
        record = data[pos:pos + length]
        if len(record) < length:
            raise AssertionError("truncated record at byte %d" % pos)
        if length == 10:
            out.append(("reply",) + struct.unpack(">BBi", record[4:]))
        elif length == 12:
            out.append(("cpu",))
            record = data[pos:pos + 16]
            length = 16
        else:
            blocks = struct.unpack(">H", record[7:9])[0]
            p, values = 9, []
            for _ in range(blocks):
                pv, kind, n = struct.unpack(">HBi", record[p:p + 7])
                values.append((pv, kind, struct.unpack(">%dd" % n, record[p + 7:p + 7 + 8 * n])))
                p += 7 + 8 * n
            out.append(("data", values))
        pos += length
    return out


class LinkTest(ScratchDirTest, simlink.LinkTest):
    def start(self, exe, *args, **kw):
        return self.start_program(sim(exe), *args, **kw)


class LargeReports(ScratchDirTest):
    # -n 3000000000 is read as 2^31 - 1 observations per report: two packets of that many rows
    # would be 16 GiB each. With memory limited to 1 GiB the run must still work, since the
    # packets only ever hold the one observation there is.
    def test_a_huge_report_size_costs_only_what_the_report_holds(self):
        def limit():
            resource.setrlimit(resource.RLIMIT_AS, (1 << 30, 1 << 30))
        env, preexec = None, limit
        if SANITIZED:  # the sanitizer reserves far more address space; cap allocations instead
            env = {"ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") +
                   ":max_allocation_size_mb=1024:allocator_may_return_null=1"}
            preexec = None
        rc, out, err = self.run_sim("GPUS_STUDYSim", "-N", "1", "-n", "3000000000", "-a",
                                    "out.csv", "-b", "out.bin", env=env, preexec=preexec)
        self.assertEqual(rc, 0, err)
        self.assertEqual(self.read("out.csv"), ASCII_HEADER + "0,4.0\n#META_DATA,BATCHES=1\n")
        # Header, then one record: 9 + 7 + 8 bytes holding 4.0 for variable 0.
        data = self.read("out.bin", "rb")
        self.assertEqual(data[256:], struct.pack(">iBHHHBid", 24, 0, 0, 1, 0, 1, 1, 4.0))


class EmptySelection(ScratchDirTest):
    # Neither model has a terminating variable: a terminating run measures nothing, and each
    # variable reports 0.0 for every replication.
    def test_a_terminating_run_of_a_model_without_terminating_variables_reports_zeros(self):
        for exe, n, variables in (("REPAIR_STUDYSim", 4, 1), ("ERLANG_STUDYSim", 2, 2)):
            rc, out, err = self.run_sim(exe, "-N", str(n), "-a", "out.csv")
            self.assertEqual(rc, 0, err)
            expected = "".join("%d,0.0\n" % pv for pv in range(variables) for _ in range(n))
            self.assertEqual(self.read("out.csv"),
                             ASCII_HEADER + expected + "#META_DATA,BATCHES=%d\n" % n)


class StopTime(ScratchDirTest):
    @staticmethod
    def fired(out):
        return int(re.search(r"^Actions fired: (\d+)$", out, re.M).group(1))

    # MM1 measures arrivals in [0, 10] and, in steady state only, a window that ends at 2000. A
    # terminating replication ends at 10: per replication Poisson(0.5 * 10) = 5 arrivals on
    # average, and departures between none and as many (5 - E[N(10)], with N(10) below the
    # stationary mean 1 of a queue started empty), so 1,000 replications fire about 9,000 to
    # 10,000 actions (arrivals alone: 5,000, sd 71). Running each to 2000 fired about 2 million.
    def test_a_mixed_model_replication_ends_at_its_terminating_variables_horizon(self):
        rc, out, err = self.run_sim("MM1_STUDYSim", "-N", "1000", "-a", "out.csv")
        self.assertEqual(rc, 0, err)
        fired = self.fired(out)
        self.assertGreater(fired, 8500)
        self.assertLess(fired, 10000)
        # The arrivals counted per replication still average 5.
        values = [float(line.split(",")[1]) for line in self.read("out.csv").splitlines()
                  if line.startswith("1,")]
        self.assertEqual(len(values), 1000)
        self.assertAlmostEqual(sum(values) / len(values), 5.0, delta=4 * (5.0 / 1000) ** 0.5)

    # A model of one kind keeps the largest Stop: the repairman has only a steady-state variable
    # (warm-up 1000, one batch of 1000), so a terminating replication still runs to 2000. Ten
    # machines failing at 0.05 each while up (at most 0.5 per unit of time, about 0.47 with the
    # few in repair), each failure followed by its repair: about 2 * 0.47 * 2000 = 1,900 firings.
    def test_a_model_of_one_kind_keeps_the_largest_stop(self):
        rc, out, err = self.run_sim("REPAIR_STUDYSim", "-N", "1")
        self.assertEqual(rc, 0, err)
        fired = self.fired(out)
        self.assertGreater(fired, 1600)
        self.assertLess(fired, 2100)


class Overrides(ScratchDirTest):
    # lambda is a double: the letters c and b would hand the study a value of another width.
    def test_a_type_letter_that_differs_from_the_declared_type_is_reported_and_skipped(self):
        rc, _, err = self.run_sim("MM1_STUDYSim", "-N", "3", "-a", "plain.csv", timeout=60)
        self.assertEqual(rc, 0, err)
        rc, out, err = self.run_sim("MM1_STUDYSim", "-N", "3", "-a", "out.csv", "-O",
                                    "c:lambda:A:b:lambda:1:d:mu:1.0", timeout=60)
        self.assertEqual(rc, 0, err)
        self.assertIn("Global variable lambda has type double, but the override gives type c "
                      "(char); the override is ignored.\n", err)
        self.assertIn("Global variable lambda has type double, but the override gives type b "
                      "(bool); the override is ignored.\n", err)
        self.assertIn("Overriding global variables in simulator\n", out)
        # Both skipped, and mu = 1.0 is experiment 0's own value: the same results as no -O.
        self.assertEqual(self.read("out.csv"), self.read("plain.csv"))


class InvalidParameters(ScratchDirTest):
    # An infinite arrival rate gave delays of 0: time never left 0 and the run never ended.
    def test_infinite_and_nan_rates_end_the_run_with_their_own_message(self):
        for override, action, text in (("d:lambda:1e999", "Arrival", "rate is not finite"),
                                       ("d:mu:nan", "Service", "rate is not a number")):
            rc, out, err = self.run_sim("MM1_STUDYSim", "-N", "20", "-O", override, timeout=30)
            self.assertEqual(rc, 1, err)
            self.assertIn("FATAL ERROR: In action %s, %s\n" % (action, text), err)
            self.assertNotIn("GOOD EXIT", out)


class FrozenClock(ScratchDirTest):
    # Service at rate 1e300 draws delays near 1e-300; once the first arrival has moved the clock
    # past 0 (to about 2.7), time + delay == time and the service would fire there for ever.
    def test_a_delay_that_no_longer_moves_the_clock_ends_the_run(self):
        rc, out, err = self.run_sim("MM1_STUDYSim", "-t", "0", "-N", "3", "-O", "d:mu:1e300",
                                    timeout=30)
        self.assertEqual(rc, 1, err)
        self.assertRegex(err, r"FATAL ERROR: In action Service, the delay [0-9.]+e-30[0-9] drawn at "
                              r"time [0-9.]+ does not move the simulation clock \(time \+ delay == "
                              r"time\); the run cannot go on\.\n")
        self.assertNotIn("GOOD EXIT", out + err)


class SilentRuns(ScratchDirTest):
    # With lambda = 1e-320 the first arrival's delay is -ln(u) / 1e-320 = +infinity.
    def test_a_steady_state_run_whose_first_event_is_at_infinity_says_so(self):
        rc, out, err = self.run_sim("MM1_STUDYSim", "-t", "0", "-N", "3", "-O", "d:lambda:1e-320",
                                    "-a", "out.csv")
        self.assertEqual(rc, 0, err)
        self.assertIn("The initial state has no event at a finite time: the steady-state run "
                      "ends without simulating anything.\n", err)
        self.assertIn("Actions fired: 0\n", out)
        self.assertTrue(err.endswith(GOOD_EXIT), err)

    def test_a_run_that_no_manager_joined_says_so(self):
        rc, out, err = self.run_sim("GPUS_STUDYSim", "-w", "-p", "0", "-N", "3",
                                    env={WAIT_VARIABLE: "300"})
        self.assertEqual(rc, 0, err)
        self.assertIn("No simulation manager connected within 0.3 seconds: nothing was "
                      "simulated.\n", err)
        self.assertIn("Actions fired: 0\n", out)


class WriteFailures(ScratchDirTest):
    def assert_write_failure(self, result, kind, name, reason):
        rc, out, err = result
        self.assertEqual(rc, 1, err)
        self.assertIn("ERROR: Unable to write %s file '%s': %s\n" % (kind, name, reason), err)
        self.assertNotIn("GOOD EXIT", out + err)

    def test_a_full_device_as_result_or_trace_file_ends_the_run_with_exit_1(self):
        os.symlink("/dev/full", self.path("full.txt"))
        os.symlink("/dev/full", self.path("full.xml"))
        full = "No space left on device"
        self.assert_write_failure(self.run_sim("GPUS_STUDYSim", "-N", "3", "-a", "/dev/full"),
                                  "ASCII result", "/dev/full", full)
        self.assert_write_failure(self.run_sim("GPUS_STUDYSim", "-N", "3", "-b", "/dev/full"),
                                  "binary result", "/dev/full", full)
        self.assert_write_failure(self.run_sim("GPUS_STUDYSim", "-N", "3", "-f", "full"),
                                  "trace", "full.txt", full)
        self.assert_write_failure(self.run_sim("GPUS_STUDYSim", "-N", "3", "-x", "-f", "full"),
                                  "trace", "full.xml", full)

    # The text trace (and the XML one) without a file name goes to standard output.
    def test_a_full_device_as_standard_output_of_a_trace_ends_the_run_with_exit_1(self):
        for trace in (["-m", "-l", "3"], ["-x"]):
            with open("/dev/full", "w") as full:
                p = subprocess.run([sim("MM1_STUDYSim"), "-N", "2", *trace], cwd=self.dir,
                                   stdout=full, stderr=subprocess.PIPE, text=True, timeout=60)
            self.assertEqual(p.returncode, 1, p.stderr)
            self.assertRegex(p.stderr, r"^ERROR: Unable to write the trace on standard output: .+\n")
            self.assertNotIn("GOOD EXIT", p.stderr)
        # Without a trace, standard output is the progress text's alone, and unchecked as before.
        with open("/dev/full", "w") as full:
            p = subprocess.run([sim("MM1_STUDYSim"), "-N", "2"], cwd=self.dir, stdout=full,
                               stderr=subprocess.PIPE, text=True, timeout=60)
        self.assertEqual(p.returncode, 0, p.stderr)

    def test_a_file_that_fills_during_the_run_stops_it_as_a_quit_would(self):
        # Files may not grow past 2000 bytes; SIGXFSZ ignored, so a write fails with EFBIG.
        # Reports of 100 replications: the binary file (256-byte header, records of
        # 9 + 7 + 100 * 8 = 816 bytes) passes the limit with the third report, 2,704 bytes,
        # while the ASCII file (144-byte header, 100 lines "0,4.0" per report) still fits.
        def limit():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (2000, 2000))
        rc, out, err = self.run_sim("GPUS_STUDYSim", "-N", "20000", "-n", "100", "-a", "out.csv",
                                    "-b", "out.bin", preexec=limit)
        self.assert_write_failure((rc, out, err), "binary result", "out.bin", "File too large")
        # The run stops as a quit would: after the third report, which still reached the other
        # file whole (4 firings per replication).
        self.assertIn("Actions fired: %d\n" % (4 * 300), out)
        self.assertEqual(self.read("out.csv"),
                         ASCII_HEADER + "0,4.0\n" * 300 + "#META_DATA,BATCHES=300\n")

class SharedOutputs(ScratchDirTest):
    def test_two_outputs_on_one_file_are_refused_before_any_file_is_touched(self):
        self.write("same.txt", "kept\n")
        os.symlink("same.txt", self.path("alias.bin"))
        for args, first, second in (
                (("-a", "same.txt", "-f", "same"), "ASCII result file 'same.txt'",
                 "trace file 'same.txt'"),
                (("-a", "./same.txt", "-b", "alias.bin"), "ASCII result file './same.txt'",
                 "binary result file 'alias.bin'"),
                (("-b", "new.bin", "-a", "sub/../new.bin"), "ASCII result file 'sub/../new.bin'",
                 "binary result file 'new.bin'")):
            os.makedirs(self.path("sub"), exist_ok=True)
            rc, out, err = self.run_sim("GPUS_STUDYSim", "-N", "3", *args)
            self.assertEqual(rc, 1, err)
            self.assertIn("ERROR: The %s and the %s are one file; each output needs a file of its "
                          "own\n" % (first, second), err)
            self.assertNotIn("Actions fired", out)
            self.assertEqual(self.read("same.txt"), "kept\n")
            self.assertFalse(os.path.exists(self.path("new.bin")))

    def test_an_output_that_cannot_be_opened_leaves_the_others_untouched(self):
        self.write("keep.csv", "precious\n")
        for args in (("-a", "keep.csv", "-f", "no_such_dir/t"),
                     ("-a", "keep.csv", "-b", "fresh.bin", "-x", "-f", "no_such_dir/t")):
            rc, out, err = self.run_sim("GPUS_STUDYSim", "-N", "3", *args)
            self.assertEqual(rc, 1, err)
            self.assertIn("'no_such_dir/t.", err)
            self.assertIn("No such file or directory", err)
            self.assertEqual(self.read("keep.csv"), "precious\n")
            self.assertFalse(os.path.exists(self.path("fresh.bin")))


class ManagerEndOfStream(LinkTest):
    # A manager that stops sending but keeps reading gets every report of the run.
    def test_a_half_closed_link_keeps_receiving_every_report(self):
        sim = self.start("GPUS_STUDYSim", "-p", "0", "-n", "1", "-N", "200")
        sim.connect()
        sim.recv_exact(10)
        sim.sock.shutdown(socket.SHUT_WR)
        records = parse_records(sim.read_to_end())
        data = [r[1] for r in records if r[0] == "data"]
        self.assertEqual(len(data), 200)
        self.assertEqual(sum(len(values) for block in data for _, _, values in block), 200)
        self.assertEqual(sum(1 for r in records if r[0] == "cpu"), 200)
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        self.assertNotIn("closed the connection", out)
        self.assertIn("Actions fired: 800\n", out)
        self.assertTrue(out.endswith(GOOD_EXIT), out)


class GracefulClose(LinkTest):
    # The manager sends more commands than the run has reports, so some are still unread when the
    # run ends, and it reads slowly, so records are still on their way: closing then must not
    # reset the link and destroy them.
    def test_records_sent_before_the_close_all_arrive(self):
        sim = self.start("GPUS_STUDYSim", "-p", "0", "-n", "1", "-N", "20000")
        sim.connect()
        sim.recv_exact(10)
        sim.sock.sendall(b"\x01" * 30000)
        time.sleep(1.0)
        records = parse_records(sim.read_to_end())
        data = [r[1] for r in records if r[0] == "data"]
        self.assertEqual(sum(len(values) for block in data for _, _, values in block), 20000)
        self.assertEqual(sum(1 for r in records if r[0] == "cpu"), 20000)
        # One answer per report at most (a command is read at each report).
        replies = [r for r in records if r[0] == "reply"]
        self.assertLessEqual(len(replies), 20000)
        self.assertTrue(all(r == ("reply", 0xFF, 1, sim.proc.pid) for r in replies))
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        self.assertTrue(out.endswith(GOOD_EXIT), out)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class PortStepping(LinkTest):
    # Two simulators may both bind a port (the reuse option allows it); the one that listens
    # second fails with "address in use" and must step on as if binding had failed.
    def test_a_port_taken_at_listen_is_stepped_over(self):
        env = {"LD_PRELOAD": BUSY_LISTEN, "BUSY_LISTEN_FAILURES": "2"}
        if SANITIZED:
            env["ASAN_OPTIONS"] = os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"
        first = free_port()
        sim = self.start("GPUS_STUDYSim", "-p", str(first), "-n", "1", "-N", "3", env=env)
        self.assertGreaterEqual(sim.port(), first + 2)
        sim.connect()
        sim.recv_exact(10)
        records = parse_records(sim.read_to_end())
        self.assertEqual(sum(1 for r in records if r[0] == "data"), 3)
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        self.assertNotIn("unable to listen", err)

    # Any other failure of listen cannot be cured by another port.
    def test_another_listen_failure_ends_the_run_with_exit_1(self):
        env = dict(os.environ, LD_PRELOAD=BUSY_LISTEN, BUSY_LISTEN_FAILURES="1",
                   BUSY_LISTEN_ERROR=str(errno.EACCES))
        if SANITIZED:
            env["ASAN_OPTIONS"] = os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"
        env.pop("SIMTEST", None)
        p = subprocess.run([sim("GPUS_STUDYSim"), "-w", "-p", "0", "-N", "1"], cwd=self.dir,
                           env=env, capture_output=True, text=True, timeout=60)
        self.assertEqual(p.returncode, 1, p.stderr)
        self.assertRegex(p.stderr, r"ERROR: unable to listen on port \d+ for the simulation manager")
        self.assertNotIn("REGISTER", p.stdout)


def tcp_listen_address(port):
    """The local address a socket of this network namespace listens on at port, or None."""
    with open("/proc/net/tcp") as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            address, hex_port = fields[1].split(":")
            if fields[3] == "0A" and int(hex_port, 16) == port:
                return socket.inet_ntoa(struct.pack("<I", int(address, 16)))
    return None


def ip(*args, check=True):
    return subprocess.run(["ip", *args], capture_output=True, text=True, check=check)


class SecondHost:
    """A network namespace standing in for a second host, joined to this one by a veth pair.
    Both ends get addresses of a /30 from the upper half of the 192.0.2.0/24 test range that
    nothing here uses yet (this machine may sit on that range itself); names are unique to this
    process so that parallel runs cannot collide."""

    def __init__(self):
        tag = "%d%02d" % (os.getpid() % 100000, int(time.time() * 1000) % 100)
        self.ns = "kvr" + tag
        self.here_link, self.there_link = "kvh" + tag, "kvn" + tag
        self.here = self.there = None

    def create(self):
        used = ip("-4", "addr", "show").stdout + ip("-4", "neigh", "show").stdout
        first = os.getpid() % 31
        for i in range(31):
            block = 128 + 4 * ((first + i) % 31)
            here, there = "192.0.2.%d" % (block + 1), "192.0.2.%d" % (block + 2)
            if not re.search(r"\b(%s|%s)\b" % (re.escape(here), re.escape(there)), used):
                break
        else:
            raise RuntimeError("no free /30 in 192.0.2.128/25")
        self.here, self.there = here, there
        ip("netns", "add", self.ns)
        ip("link", "add", self.here_link, "type", "veth", "peer", "name", self.there_link)
        ip("link", "set", self.there_link, "netns", self.ns)
        ip("addr", "add", here + "/30", "dev", self.here_link)
        ip("link", "set", self.here_link, "up")
        for cmd in (("addr", "add", there + "/30", "dev", self.there_link),
                    ("link", "set", self.there_link, "up"), ("link", "set", "lo", "up")):
            ip("netns", "exec", self.ns, "ip", *cmd)

    def remove(self):
        if ip("netns", "list", check=False).stdout.split().count(self.ns):
            for pid in ip("netns", "pids", self.ns, check=False).stdout.split():
                try:  # only processes this test started there
                    os.kill(int(pid), signal.SIGKILL)
                except (ProcessLookupError, ValueError):
                    pass
            ip("netns", "del", self.ns, check=False)
        ip("link", "del", self.here_link, check=False)


class Listening(LinkTest):
    def test_by_default_only_this_host_can_reach_the_simulator(self):
        sim = self.start("GPUS_STUDYSim", "-p", "0", "-n", "1", "-N", "2")
        self.assertEqual(tcp_listen_address(sim.port()), "127.0.0.1")
        sim.connect()
        self.assertEqual(sim.recv_exact(10)[4:6], b"\xff\x01")
        self.assertEqual(sum(1 for r in parse_records(sim.read_to_end()) if r[0] == "data"), 2)
        self.assertEqual(sim.finish()[0], 0)

    def test_the_environment_widens_the_listening_address(self):
        sim = self.start("GPUS_STUDYSim", "-p", "0", "-N", "1",
                         env={"KAVRIN_LISTEN_ADDRESS": "0.0.0.0"})
        self.assertEqual(tcp_listen_address(sim.port()), "0.0.0.0")
        sim.connect()
        sim.recv_exact(10)
        sim.read_to_end()
        self.assertEqual(sim.finish()[0], 0)
        rc, out, err = self.run_sim("GPUS_STUDYSim", "-w", "-p", "0", "-N", "1",
                                    env={"KAVRIN_LISTEN_ADDRESS": "nowhere"})
        self.assertEqual(rc, 1, err)
        self.assertIn("not an IPv4 address: nowhere", err)
        self.assertNotIn("REGISTER", out)


# A second host for real: the simulators run in their own network namespace and the manager
# reaches them over a veth pair, through its launcher. Arrivals of a Poisson process of rate
# 0.5 in [0, 10]: mean 5, variance 5. Where namespaces are not allowed the case is skipped, and
# CTest reports the suite as not run rather than passed.
class ManagerOnASecondHost(LinkTest):
    def test_a_manager_on_another_host_collects_the_estimates(self):
        if os.geteuid() != 0 or shutil.which("ip") is None:
            self.skipTest("network namespaces need root and iproute2 here")
        host = SecondHost()
        self.addCleanup(host.remove)
        try:
            host.create()
        except subprocess.CalledProcessError as e:
            self.skipTest("network namespaces are not permitted here: %s" % e.stderr.strip())

        # Started there without the variable, a simulator cannot be reached from here.
        wait = {WAIT_VARIABLE: "5000"}
        local = subprocess.Popen(["ip", "netns", "exec", host.ns, sim("GPUS_STUDYSim"), "-w", "-p",
                                  "0", "-N", "1"], cwd=self.dir, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, env=dict(os.environ, **wait))
        try:
            line = b""
            while not line.startswith(b"REGISTER"):
                line = local.stdout.readline()
                self.assertTrue(line, "no REGISTER line")
            port = int(re.search(rb"\[(\d+)\]", line).group(1))
            with self.assertRaises(ConnectionRefusedError):
                socket.create_connection((host.there, port), timeout=10).close()
        finally:
            local.kill()
            local.wait()
            local.stdout.close()

        csv = self.path("mm1.csv")
        p = subprocess.run([sim("simmgr"), "--jobs", "2", "--min-obs", "2000", "--precision",
                            "0.05", "--quiet", "--csv", csv, "--launch",
                            "ip netns exec %s {cmd}" % host.ns, "--hosts", host.there, "--",
                            sim("MM1_STUDYSim")], cwd=self.dir, capture_output=True, text=True,
                           timeout=150)
        self.assertEqual(p.returncode, 0, p.stdout + p.stderr)
        self.assertIn("host %s" % host.there, p.stdout)
        # The model has both kinds: a row for each; the terminating one counts arrivals.
        rows = [line.split(",") for line in self.read("mm1.csv").splitlines()[1:]]
        self.assertEqual([(r[2], r[3]) for r in rows], [("mean_in_system", "steady_state"),
                                                        ("arrivals", "terminating")])
        obs, mean, variance = int(rows[1][4]), float(rows[1][5]), float(rows[1][6])
        self.assertGreaterEqual(obs, 2000)
        self.assertLess(abs(mean - 5.0), 4 * (5.0 / obs) ** 0.5)
        self.assertLess(abs(variance - 5.0), 0.2 * 5.0)


class DetachName(LinkTest):
    # Command 3 naming one of the run's own files: refused like a name that cannot be opened;
    # the command is answered and the run goes on into what is open, up to the new limit.
    def test_detaching_into_the_runs_own_ascii_or_trace_file_is_refused(self):
        for args, name, kind in ((("-a", "out.csv"), "out.csv", "ASCII result"),
                                 (("-f", "t", "-l", "0"), "./t.txt", "trace")):
            sim = self.start("GPUS_STUDYSim", "-p", "0", "-n", "1", *args)
            sim.connect()
            sim.recv_exact(10)
            sim.sock.sendall(b"\x03" + name.encode() + b";50;;")
            self.assertEqual(sim.until_reply()[0], ("reply", 0xFF, 3, sim.proc.pid))
            rc, out, err = sim.finish()
            self.assertEqual(rc, 0, err)
            self.assertIn("ERROR: Unable to open binary result file '%s': it is this run's %s file"
                          % (name, kind), err)
            batches = int(re.search(r"^Actions fired: (\d+)$", out, re.M).group(1)) // 4
            self.assertGreaterEqual(batches, 50)
            if kind == "ASCII result":
                # Text only: the header, one line per reported replication, the closing line.
                lines = self.read("out.csv").splitlines()
                self.assertEqual("\n".join(lines[:2]) + "\n", ASCII_HEADER)
                self.assertEqual(lines[-1], "#META_DATA,BATCHES=%d" % batches)
                self.assertTrue(all(line == "0,4.0" for line in lines[2:-1]), lines)
            else:
                self.assertNotIn(b"KAVRIN_SIM_BIN_FILE", self.read("t.txt", "rb"))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.add_argument("--sanitized", default="0")
    parser.add_argument("--busy-listen")
    args, rest = parser.parse_known_args()
    BIN = os.path.abspath(args.bin_dir)
    SANITIZED = args.sanitized == "1"
    BUSY_LISTEN = os.path.abspath(args.busy_listen) if args.busy_listen else None
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
