"""The files the build writes beside a simulator: `.pv`, `.pvkind` and `.study`."""
from __future__ import annotations

from dataclasses import dataclass, field
from pathlib import Path

REWARD_TYPES = {0: "instant of time", 1: "interval of time", 2: "time-averaged interval of time", 3: "steady state"}


@dataclass
class PerformanceVariable:
    """One row of observations of the reward model: its name, reward type and time points."""

    name: str
    type: int
    times: list[tuple[float, float]]

    @property
    def type_text(self) -> str:
        return REWARD_TYPES.get(self.type, str(self.type))


@dataclass
class Row:
    """One line of `.pvkind`: which kind of run measures the row."""

    index: int
    name: str
    kind: str  # "terminating" or "steady_state"


@dataclass
class Global:
    name: str
    type: str
    letter: str


@dataclass
class Experiment:
    index: int
    name: str
    values: dict[str, float | int | str]


@dataclass
class Study:
    """The study's global variables and experiments, and the SHA-256 of the description a
    generated simulator came from (None for a hand-written model)."""

    description_sha256: str | None = None
    globals: list[Global] = field(default_factory=list)
    experiments: list[Experiment] = field(default_factory=list)

    def experiment(self, key: int | str) -> Experiment:
        for e in self.experiments:
            if e.index == key or e.name == key:
                return e
        raise KeyError(key)

    def swept(self) -> list[str]:
        """The global variables whose value differs between experiments."""
        return [g.name for g in self.globals if len({repr(e.values.get(g.name)) for e in self.experiments}) > 1]


def number(text: str) -> float | int | str:
    """A value as the study file writes it: an integer, a decimal number, or kept as text."""
    try:
        return int(text)
    except ValueError:
        pass
    try:
        return float(text)
    except ValueError:
        return text


def read_pv(path: str | Path) -> list[PerformanceVariable]:
    """Reads `SIMULATOR.pv`: one entry per row of observations, in index order."""
    rows: list[PerformanceVariable] = []
    starts: list[float] = []
    for line in Path(path).read_text().splitlines():
        label, _, value = line.partition(":")
        if label == "Name":
            rows.append(PerformanceVariable(value, 0, []))
            starts = []
        elif not rows:
            continue
        elif label == "Type":
            rows[-1].type = int(value)
        elif label == "Start":
            starts.append(float(value))
        elif label == "Stop" and starts:
            rows[-1].times.append((starts[len(rows[-1].times)], float(value)))
    return rows


def read_pvkind(path: str | Path) -> list[Row]:
    """Reads `SIMULATOR.pvkind`: `index name kind` per line."""
    rows = []
    for line in Path(path).read_text().splitlines():
        parts = line.split()
        if len(parts) >= 3:
            rows.append(Row(int(parts[0]), " ".join(parts[1:-1]), parts[-1]))
    return rows


def read_study(path: str | Path) -> Study:
    """Reads `SIMULATOR.study` (tab-separated); lines of kinds it does not know are skipped."""
    study = Study()
    for line in Path(path).read_text().splitlines():
        parts = line.split("\t")
        if parts[0] == "description_sha256" and len(parts) >= 2:
            study.description_sha256 = parts[1]
        elif parts[0] == "global" and len(parts) >= 4:
            study.globals.append(Global(parts[1], parts[2], parts[3]))
        elif parts[0] == "experiment" and len(parts) >= 3:
            values = {}
            for item in parts[3:]:
                name, _, value = item.partition("=")
                values[name] = number(value)
            study.experiments.append(Experiment(int(parts[1]), parts[2], values))
    return study


@dataclass
class Simulator:
    """A simulator's sidecars, each None when the build did not write it."""

    path: str
    pv: list[PerformanceVariable] | None
    kinds: list[Row] | None
    study: Study | None

    def names(self) -> dict[int, str]:
        """Row names by index: from `.pvkind` (points named `name@t`), else from `.pv`."""
        if self.kinds:
            return {r.index: r.name for r in self.kinds}
        return {i: v.name for i, v in enumerate(self.pv or [])}


def read_simulator(path: str | Path) -> Simulator:
    """Every sidecar found beside the simulator at `path`."""
    base = str(path)
    if base.endswith(".exe"):
        base = base[:-4]

    def maybe(reader, suffix):
        p = Path(base + suffix)
        return reader(p) if p.exists() else None

    return Simulator(str(path), maybe(read_pv, ".pv"), maybe(read_pvkind, ".pvkind"), maybe(read_study, ".study"))
