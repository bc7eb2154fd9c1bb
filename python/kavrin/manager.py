"""What `simmgr` writes (`--csv`, `--json`), and running a study through it."""
from __future__ import annotations

import csv
import json
import math
import os
import shutil
import subprocess
import tempfile
from dataclasses import dataclass
from pathlib import Path
from typing import Any

from .sidecars import number

# CSV columns that hold text even when they look like numbers.
_TEXT_COLUMNS = {"variable", "kind", "reached", "stop_reason", "independence_passed", "normality_passed", "note",
                 "experiment_name", "simmgr_version", "description_sha256", "start_time", "command", "hosts"}


def _csv_value(column: str, text: str) -> Any:
    if column in _TEXT_COLUMNS:
        return text
    if text == "":
        return None
    value = number(text)
    if text in ("inf", "-inf", "nan"):
        return float(text)
    return value


def read_manager_csv(path: str | Path) -> list[dict[str, Any]]:
    """The rows of `simmgr --csv`, numbers as numbers (inf, -inf and nan as floats)."""
    with open(path, newline="") as f:
        return [{k: _csv_value(k, v) for k, v in row.items()} for row in csv.DictReader(f)]


@dataclass
class Percentile:
    p: float
    value: float | None
    low: float | None  # None: unbounded (too few observations for this confidence)
    high: float | None
    low_rank: int
    high_rank: int
    coverage: float | None


@dataclass
class Variable:
    """One variable's figures in one experiment, as the JSON gives them."""

    index: int
    name: str
    kind: str
    observations: int
    mean: float | None
    variance: float | None
    half_width: float | None
    low: float | None
    high: float | None
    relative_half_width: float | None
    reached: bool
    note: str
    raw: dict[str, Any]

    @property
    def percentiles(self) -> list[Percentile]:
        dist = self.raw.get("distribution") or {}
        keys = Percentile.__dataclass_fields__
        return [Percentile(**{k: v for k, v in p.items() if k in keys}) for p in dist.get("percentiles", [])]

    @property
    def histogram(self) -> tuple[list[float], list[int]] | None:
        dist = self.raw.get("distribution") or {}
        h = dist.get("histogram")
        return (h["edges"], h["counts"]) if h else None


@dataclass
class ExperimentResult:
    experiment: int
    name: str
    globals: dict[str, Any]
    stop_reason: str
    variables: list[Variable]
    raw: dict[str, Any]

    def warnings(self) -> list[str]:
        """What a reader must not miss about this experiment, in words."""
        out = []
        e = self.raw
        if not e.get("ran", True):
            out.append("not run")
        for v in self.variables:
            if v.note.startswith("unreliable") or v.note.startswith("flagged"):
                out.append(f"{v.name}: {v.note}")
            if v.raw.get("non_finite"):
                out.append(f"{v.name}: {v.raw['non_finite']} non-finite observations left out")
        if e.get("simulators_not_started"):
            out.append(f"{e['simulators_not_started']} simulators could not be started")
        for p in e.get("processes", []):
            if p.get("fault"):
                out.append(f"client {p['client']} ({p.get('kind', '')}): {p['outcome']}")
        if e.get("ran", True) and not e.get("reproducible", True):
            out.append("not reproducible (a time limit, an interrupt or a failed simulator)")
        return out


class StudyResults:
    """The JSON `simmgr --json` writes, as objects; `raw` is the document itself."""

    def __init__(self, document: dict[str, Any]):
        self.raw = document
        self.context: dict[str, Any] = document.get("context", {})
        self.provenance: dict[str, Any] = document.get("provenance", {})
        self.experiments = [
            ExperimentResult(e["experiment"], e.get("name", f"Experiment {e['experiment'] + 1}"), e.get("globals", {}),
                             e.get("stop_reason", ""),
                             [Variable(v["index"], v["name"], v.get("kind", "terminating"), v["observations"],
                                       v.get("mean"), v.get("variance"), v.get("half_width"), v.get("low"),
                                       v.get("high"), v.get("relative_half_width"), v.get("reached", False),
                                       v.get("note", ""), v) for v in e.get("variables", [])], e)
            for e in document.get("experiments", [])]

    def global_names(self) -> list[str]:
        names: list[str] = []
        for e in self.experiments:
            names += [n for n in e.globals if n not in names]
        return names

    def swept(self) -> list[str]:
        """The global variables whose value differs between the experiments."""
        return [n for n in self.global_names() if len({repr(e.globals.get(n)) for e in self.experiments}) > 1]

    def variable_names(self) -> list[str]:
        names: list[str] = []
        for e in self.experiments:
            names += [v.name for v in e.variables if v.name not in names]
        return names

    def rows(self) -> list[dict[str, Any]]:
        """One flat row per experiment and variable: the experiment, one column per global, the
        figures, and the 5th, 50th and 95th percentiles with their bounds (terminating variables;
        NaN for steady-state ones, an unbounded side as an infinity)."""
        out = []
        for e in self.experiments:
            for v in e.variables:
                row: dict[str, Any] = {"experiment": e.experiment, "experiment_name": e.name}
                for g in self.global_names():
                    row[g] = e.globals.get(g)
                row.update(index=v.index, variable=v.name, kind=v.kind, observations=v.observations)
                for key in ("mean", "variance", "half_width", "low", "high", "relative_half_width"):
                    value = getattr(v, key)
                    row[key] = math.nan if value is None else value
                row.update(reached=v.reached, note=v.note, stop_reason=e.stop_reason)
                percentiles = {round(q.p * 100): q for q in v.percentiles}
                for level in (5, 50, 95):
                    q = percentiles.get(level)
                    tag = f"p{level:02d}"
                    row[tag] = math.nan if q is None or q.value is None else q.value
                    row[tag + "_low"] = math.nan if q is None else (-math.inf if q.low is None else q.low)
                    row[tag + "_high"] = math.nan if q is None else (math.inf if q.high is None else q.high)
                out.append(row)
        return out


def read_manager_json(path: str | Path) -> StudyResults:
    with open(path) as f:
        return StudyResults(json.load(f))


def find_simmgr(simulator: str | None = None) -> str:
    """`simmgr`: $KAVRIN_SIMMGR, beside the simulator (a build tree's bin/), or on the PATH."""
    if os.environ.get("KAVRIN_SIMMGR"):
        return os.environ["KAVRIN_SIMMGR"]
    if simulator:
        beside = Path(simulator).resolve().parent / "simmgr"
        if beside.exists():
            return str(beside)
    found = shutil.which("simmgr")
    if not found:
        raise FileNotFoundError("simmgr not found: set KAVRIN_SIMMGR or put it on the PATH")
    return found


def run_simmgr(simulator: str, *simulator_args: str, simmgr: str | None = None, check: bool = True,
               **options: Any) -> StudyResults:
    """Runs `simmgr [options] -- simulator [simulator_args]` and returns its JSON as objects.

    Options are simmgr's long options with `_` for `-` (`min_obs=100`, `experiments="all"`); True
    gives a flag alone. With `check`, an exit status other than 0 or 3 (results incomplete, still
    written) raises CalledProcessError.
    """
    program = simmgr or find_simmgr(simulator)
    with tempfile.TemporaryDirectory(prefix="kavrin_") as scratch:
        json_path = os.path.join(scratch, "results.json")
        command = [program, "--quiet", "--json", json_path]
        for key, value in options.items():
            if value is False or value is None:
                continue
            command.append("--" + key.replace("_", "-"))
            if value is not True:
                command.append(str(value))
        command += ["--", simulator, *simulator_args]
        done = subprocess.run(command, capture_output=True, text=True)
        if check and done.returncode not in (0, 3):
            raise subprocess.CalledProcessError(done.returncode, command, done.stdout, done.stderr)
        return read_manager_json(json_path)


def run_study(simulator: str, *simulator_args: str, simmgr: str | None = None, **options: Any):
    """Runs a study through `simmgr` and returns its results as a data frame (see `frame`)."""
    from .frames import results_frame

    return results_frame(run_simmgr(simulator, *simulator_args, simmgr=simmgr, **options))
