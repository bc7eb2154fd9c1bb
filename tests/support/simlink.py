"""Shared pieces of the Python system tests: a scratch folder per test, running a simulator to
its end, and a simulator started with -w whose link the test drives as the manager would."""

import os
import re
import shutil
import socket
import struct
import subprocess
import tempfile
import threading
import time
import unittest

GOOD_EXIT = "SIMULATOR::MAIN()-GOOD EXIT\n"
WAIT_VARIABLE = "KAVRIN_TEST_SIMMGR_WAIT_MS"
# A cross build runs the programs under test through its emulator (a ;-separated command).
EMULATOR = [w for w in os.environ.get("KAVRIN_TEST_EMULATOR", "").split(";") if w]


def command(program, *args):
    """The command line that runs program with args here, through the emulator if there is one."""
    return [*EMULATOR, program, *args]


def simulator_env(extra=None):
    """The environment a simulator runs in: this one, without a SIMTEST of the caller's."""
    env = dict(os.environ)
    env.pop("SIMTEST", None)
    env.update(extra or {})
    return env


class ScratchDirTest(unittest.TestCase):
    prefix = "simtest_"
    simulator = None  # the program run_sim runs, set by the script from its command line

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix=self.prefix)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name, mode="r"):
        with open(self.path(name), mode) as f:
            return f.read()

    def write(self, name, text):
        with open(self.path(name), "w") as f:
            f.write(text)

    def run_program(self, program, *args, env=None, timeout=60, preexec=None):
        """Runs program in the scratch folder; (exit code, standard output, standard error)."""
        p = subprocess.run(command(program, *args), cwd=self.dir, env=simulator_env(env), capture_output=True,
                           text=True, timeout=timeout, preexec_fn=preexec)
        return p.returncode, p.stdout, p.stderr

    def run_sim(self, *args, **kw):
        """Runs the script's simulator in the scratch folder, as run_program does."""
        return self.run_program(self.simulator, *args, **kw)


class LinkedSimulator:
    """A simulator started with -w in a test's scratch folder, its standard output read line by
    line, and the manager's side of its link."""

    def __init__(self, test, program, *args, wait_ms=20000, env=None):
        extra = {WAIT_VARIABLE: str(wait_ms)}
        extra.update(env or {})
        self.proc = subprocess.Popen(command(program, "-w", *args), cwd=test.dir, env=simulator_env(extra),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out_lines = []
        self.err = ""
        self._reader = threading.Thread(target=self._read_stdout, daemon=True)
        self._reader.start()
        self.sock = None

    def pid_in(self, greeting):
        """The process id the simulator's greeting must carry: the one this test started, or
        under an emulator (whose programs have ids of their own) the one the greeting names."""
        return struct.unpack(">i", greeting[6:10])[0] if EMULATOR else self.proc.pid

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
            if self.proc.poll() is not None and not self._reader.is_alive():
                break
            time.sleep(0.01)
        raise AssertionError("no REGISTER line: %r" % self.out_lines)

    def connect(self, host="127.0.0.1"):
        self.sock = socket.create_connection((host, self.port()), timeout=20)
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

    def until_reply(self, limit=1000000):
        """The next reply, and the records before it."""
        seen = []
        for _ in range(limit):
            r = self.record()
            if r[0] == "reply":
                return r, seen
            seen.append(r)
        raise AssertionError("no reply")

    def read_to_end(self, timeout=60):
        """Every byte until the simulator ends the stream; raises on a reset."""
        self.sock.settimeout(timeout)
        data = b""
        while True:
            chunk = self.sock.recv(1 << 16)
            if not chunk:
                return data
            data += chunk

    def at_eof(self, timeout=20):
        """Whether the stream ends cleanly (no reset, no silence) from here on."""
        try:
            self.read_to_end(timeout)
            return True
        except (ConnectionResetError, socket.timeout):
            return False

    def finish(self, timeout=60):
        rc = self.proc.wait(timeout=timeout)
        self._reader.join(timeout=5)
        self.err = self.proc.stderr.read().decode()
        self.proc.stderr.close()
        self.proc.stdout.close()
        if self.sock:
            self.sock.close()
            self.sock = None
        return rc, "".join(self.out_lines), self.err

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for stream in (self.proc.stdout, self.proc.stderr, self.sock):
            if stream:
                stream.close()


class LinkTest(ScratchDirTest):
    """A scratch folder and the linked simulators a test starts, all killed at its end."""

    def setUp(self):
        super().setUp()
        self.sims = []

    def tearDown(self):
        for s in self.sims:
            s.kill()
        super().tearDown()

    def start_program(self, program, *args, **kw):
        s = LinkedSimulator(self, program, *args, **kw)
        self.sims.append(s)
        return s
