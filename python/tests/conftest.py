"""Where the build's programs are (KAVRIN_BIN, set by CTest) and how to run them."""
import os
import subprocess

import pytest

BIN = os.environ.get("KAVRIN_BIN", "")


def exe(name: str) -> str:
    return os.path.join(BIN, name)


def run(*command: str, cwd=None, expect=(0,)) -> subprocess.CompletedProcess:
    done = subprocess.run([str(c) for c in command], capture_output=True, text=True, cwd=cwd, timeout=240)
    assert done.returncode in expect, f"{command}: exit {done.returncode}\n{done.stdout}\n{done.stderr}"
    return done


@pytest.fixture
def bin_dir():
    if not BIN or not os.path.exists(exe("simmgr")):
        pytest.fail("KAVRIN_BIN must name the folder of the built simmgr and simulators")
    return BIN
