"""Result files a simulator writes: binary (`-b FILE`) and ASCII (`-a FILE`)."""
from __future__ import annotations

import struct
from dataclasses import dataclass, field
from pathlib import Path

BINARY_MAGIC = b"KAVRIN_SIM_BIN_FILE"
ASCII_MAGIC = "#KAVRIN_SIM_ASCII_FILE"
HEADER_SIZE = 256


@dataclass
class Record:
    """One report of a binary file: the values of each variable it carries."""

    client: int
    experiment: int
    values: dict[int, list[float]]


@dataclass
class ResultFile:
    """The observations of one simulator run, by variable index, in the order they were written.

    `batches` is the replications the file says were completed (0 for a steady-state run, whose
    observations are batch means; None when the file does not say). `complete` is False when the
    file was cut short (a last record or line not whole, fewer observations than it announces,
    an ASCII file without its closing line).
    """

    path: str
    format: str  # "binary" or "ascii"
    header: dict[str, str]
    values: dict[int, list[float]]
    batches: int | None
    complete: bool
    records: list[Record] = field(default_factory=list)

    @property
    def experiment(self) -> int | None:
        if self.records:
            return self.records[0].experiment
        text = self.header.get("EXPERIMENTS")
        return int(text) if text is not None else None

    @property
    def seed(self) -> int | None:
        text = self.header.get("SEED")
        return int(text) if text is not None else None

    @property
    def generator(self) -> str | None:
        return self.header.get("RANDOMGEN")

    @property
    def steady_state(self) -> bool:
        """A steady-state run completes no replication."""
        return self.batches == 0

    def observations(self) -> int:
        """Observations in the file: those of its most observed variable."""
        return max((len(v) for v in self.values.values()), default=0)


def _header_fields(text: str) -> dict[str, str]:
    return dict(item.split("=", 1) for item in text.split(",") if "=" in item)


def read_binary_result_file(path: str | Path) -> ResultFile:
    """Reads a binary result file: big-endian records after a 256-byte text header."""
    data = Path(path).read_bytes()
    if not data.startswith(BINARY_MAGIC):
        raise ValueError(f"{path}: not a binary result file")
    header = _header_fields(data[:HEADER_SIZE].rstrip(b"\0").decode("ascii", "replace"))
    records: list[Record] = []
    values: dict[int, list[float]] = {}
    at, complete = HEADER_SIZE, True
    while at < len(data):
        if at + 9 > len(data):
            complete = False
            break
        length, client, experiment, blocks = struct.unpack_from(">iBHH", data, at)
        if length < 9 or at + length > len(data):
            complete = False
            break
        record = Record(client, experiment, {})
        q = at + 9
        for _ in range(blocks):
            index, kind, n = struct.unpack_from(">HBi", data, q)
            if kind == 1:
                record.values.setdefault(index, []).extend(struct.unpack_from(f">{n}d", data, q + 7))
            q += 7 + 8 * n
        for index, vals in record.values.items():
            values.setdefault(index, []).extend(vals)
        records.append(record)
        at += length
    batches = int(header["BATCHES"]) if "BATCHES" in header else None
    result = ResultFile(str(path), "binary", header, values, batches, complete, records)
    if batches and result.observations() < batches:
        result.complete = False
    return result


def read_ascii_result_file(path: str | Path) -> ResultFile:
    """Reads an ASCII result file: `index,value` lines between a header and `#META_DATA`."""
    raw = Path(path).read_bytes().decode("ascii", "replace")
    if not raw.startswith(ASCII_MAGIC):
        raise ValueError(f"{path}: not an ASCII result file")
    lines = raw.replace("\r\n", "\n").split("\n")
    whole_last_line = raw.endswith("\n")
    if lines and lines[-1] == "":
        lines.pop()
    header = _header_fields(lines[0][1:])
    values: dict[int, list[float]] = {}
    batches: int | None = None
    for number, line in enumerate(lines[1:], start=1):
        if line.startswith("#META_DATA"):
            fields = _header_fields(line[1:])
            batches = int(fields["BATCHES"]) if "BATCHES" in fields else None
        elif line and not line.startswith("#"):
            if number == len(lines) - 1 and not whole_last_line:
                break  # cut inside a value
            index, value = line.split(",", 1)
            values.setdefault(int(index), []).append(float(value))
    result = ResultFile(str(path), "ascii", header, values, batches, batches is not None)
    if batches and result.observations() < batches:
        result.complete = False
    return result


def read_result_file(path: str | Path) -> ResultFile:
    """Reads either kind of result file, told apart by its first bytes."""
    with open(path, "rb") as f:
        start = f.read(len(BINARY_MAGIC))
    if start == BINARY_MAGIC:
        return read_binary_result_file(path)
    return read_ascii_result_file(path)
