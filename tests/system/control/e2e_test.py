#!/usr/bin/env python3
"""End-to-end tests of the carried study's simulator.

Runs the real executable in a scratch directory and checks its run kinds, exit codes and result
files, and plays the simulation manager over TCP: greeting, CPU-time and data records, replies to
the one-byte commands. The result files compared with kept ones are tests/golden/control.
"""
import argparse
import os
import re
import socket
import struct
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import simlink  # noqa: E402
from simlink import GOOD_EXIT  # noqa: E402

SIMULATOR = None


class ScratchDirTest(simlink.ScratchDirTest):
    prefix = "e2e_"


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

    def test_result_files_that_cannot_be_opened_end_the_run_before_it_starts(self):
        for option in ("-a", "-b"):
            rc, out, err = self.run_sim(option, "no_such_dir/out", "-N", "1")
            self.assertEqual(rc, 1, option)
            self.assertIn("'no_such_dir/out'", err)
            self.assertIn("No such file or directory", err)
            self.assertNotIn("Actions fired", out)


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


class ManagerLink(ScratchDirTest, simlink.LinkTest):
    def start(self, *args, **kw):
        return self.start_program(SIMULATOR, *args, **kw)

    def test_greeting_records_are_you_there_and_quit(self):
        sim = self.start("-p", "0", "-n", "1", "-c", "3", "-e", "0")
        sim.connect()
        greeting = sim.recv_exact(10)
        pid = sim.pid_in(greeting)
        self.assertEqual(greeting, bytes([0, 0, 0, 10, 0xFF, 1]) + struct.pack(">i", pid))
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
        self.assertEqual(reply, ("reply", 0xFF, 1, pid))
        for r in seen:
            self.assertIn(r[0], ("cpu", "data"))
        sim.sock.sendall(b"\x02")
        reply, _ = sim.until_reply()
        self.assertEqual(reply, ("reply", 0xFE, 2, pid))
        self.assertTrue(sim.at_eof())
        rc, out, err = sim.finish()
        self.assertEqual(rc, 0, err)
        self.assertIn("SOCKET::Quit\n", out)
        self.assertTrue(out.endswith(GOOD_EXIT), out)

    def test_detach_goes_on_into_the_named_file_until_the_limit(self):
        sim = self.start("-p", "0", "-n", "1")
        sim.connect()
        pid = sim.pid_in(sim.recv_exact(10))
        sim.sock.sendall(b"\x03out.bin;50;;")
        reply, _ = sim.until_reply()
        self.assertEqual(reply, ("reply", 0xFF, 3, pid))
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
    args, rest = parser.parse_known_args()
    SIMULATOR = os.path.abspath(args.simulator)
    simlink.ScratchDirTest.simulator = SIMULATOR
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
