"""The readers on files written here byte by byte, where every value is known: records split
across reports, files cut short, Windows line ends, quoting in the manager's CSV, and names
that hold the study file's separators."""
import json
import math
import struct

import pytest

import kavrin
from kavrin.report import render_report


def binary_file(path, records, batches):
    header = f"KAVRIN_SIM_BIN_FILE,256,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=2,SEED=17,RANDOMGEN=Lagged Fibonacci,BATCHES={batches},,"
    data = header.encode().ljust(256, b"\0")
    for client, experiment, blocks in records:
        body = b"".join(struct.pack(">HBi", index, kind, len(vals)) + struct.pack(f">{len(vals)}d", *vals)
                        for index, kind, vals in blocks)
        data += struct.pack(">iBHH", 9 + len(body), client, experiment, len(blocks)) + body
    path.write_bytes(data)
    return data


def test_binary_records_pool_per_variable_and_squared_values_are_skipped(tmp_path):
    path = tmp_path / "r.bin"
    data = binary_file(path, [(3, 2, [(0, 1, [1.5, 2.5]), (0, 2, [9.0, 9.0]), (4, 1, [0.25, -1.0])]),
                              (3, 2, [(0, 1, [math.inf]), (4, 1, [7.0])])], batches=3)
    r = kavrin.read_result_file(path)
    assert (r.format, r.experiment, r.seed, r.batches, r.complete) == ("binary", 2, 17, 3, True)
    assert r.values == {0: [1.5, 2.5, math.inf], 4: [0.25, -1.0, 7.0]}
    assert [(rec.client, rec.experiment) for rec in r.records] == [(3, 2), (3, 2)]
    # Cut inside the last record: the first is kept, the file is not whole.
    path.write_bytes(data[:-4])
    cut = kavrin.read_result_file(path)
    assert cut.values == {0: [1.5, 2.5], 4: [0.25, -1.0]} and not cut.complete
    # Whole records, but fewer observations than the header's count.
    binary_file(path, [(0, 0, [(0, 1, [1.0])])], batches=2)
    assert not kavrin.read_result_file(path).complete


def test_ascii_files_whole_cut_and_with_windows_line_ends(tmp_path):
    text = ("#KAVRIN_SIM_ASCII_FILE,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=1,SEED=9,RANDOMGEN=Lagged Fibonacci\n"
            "#FORMAT: (PV ID Number),(PV Value)\n0,0.0\n0,0.0\n1,2.0\n1,7.0\n0,0.0\n1,inf\n#META_DATA,BATCHES=3\n")
    path = tmp_path / "r.txt"
    for content in (text, text.replace("\n", "\r\n")):
        path.write_bytes(content.encode())
        r = kavrin.read_result_file(path)
        assert (r.format, r.experiment, r.seed, r.batches, r.complete) == ("ascii", 1, 9, 3, True)
        assert r.values == {0: [0.0, 0.0, 0.0], 1: [2.0, 7.0, math.inf]}
    path.write_text(text[: text.index("#META")])  # no closing line
    assert not kavrin.read_result_file(path).complete
    path.write_text(text[: text.index("1,inf") + 3])  # cut inside the value: "1,i" is not read
    cut = kavrin.read_result_file(path)
    assert cut.values[1] == [2.0, 7.0] and not cut.complete


def test_sidecars_with_several_time_points_and_names_holding_separators(tmp_path):
    (tmp_path / "S.pv").write_text("Version:1\nNumPV:2\nName:unrel\nType:0\nNumTimes:2\nStart:0.5\nStop:0.5\n"
                                   "Start:1\nStop:1\nName:unrel\nType:0\nNumTimes:2\nStart:0.5\nStop:0.5\n"
                                   "Start:1\nStop:1\n")
    (tmp_path / "S.pvkind").write_text("0 unrel@0.5 terminating\n1 unrel@1 terminating\n")
    (tmp_path / "S.study").write_text("description_sha256\tab12\nglobal\tk\tint\ti\nglobal\tp\tchar\tc\n"
                                      "future\tline\n"
                                      "experiment\t0\tk=2,p=\"x\"\tk=2\tp=120\n"
                                      "experiment\t1\tslow, 'big'\tk=0x1f\tp=121\n")
    sim = kavrin.read_simulator(tmp_path / "S")
    assert [v.times for v in sim.pv] == [[(0.5, 0.5), (1.0, 1.0)]] * 2
    assert sim.names() == {0: "unrel@0.5", 1: "unrel@1"}
    assert sim.study.description_sha256 == "ab12"
    assert [(e.name, e.values) for e in sim.study.experiments] == [('k=2,p="x"', {"k": 2, "p": 120}),
                                                                     ("slow, 'big'", {"k": "0x1f", "p": 121})]
    assert sim.study.swept() == ["k", "p"]
    assert sim.study.experiment('k=2,p="x"').index == 0


def test_manager_csv_quoting_and_non_finite_fields(tmp_path):
    path = tmp_path / "r.csv"
    path.write_text('experiment,index,variable,mean,half_width,stop_reason,experiment_name,lambda,note\n'
                    '0,1,arrivals,5.25,inf,"max-obs reached; x unreliable: batches correlated",'
                    '"rho ""high"", fast",0.5,reached\n'
                    '1,1,arrivals,-3,-inf,precision reached,plain,2,imprecise\n')
    rows = kavrin.read_manager_csv(path)
    assert rows[0]["experiment_name"] == 'rho "high", fast'
    assert (rows[0]["mean"], rows[0]["half_width"], rows[0]["lambda"]) == (5.25, math.inf, 0.5)
    assert (rows[1]["mean"], rows[1]["half_width"], rows[1]["lambda"]) == (-3, -math.inf, 2)


def test_report_without_a_sweep_has_tables_and_no_plot_against_a_global(tmp_path):
    doc = {"context": {"simulator": "/x/ONE_Sim", "confidence": 0.95, "run_kind": "terminating"},
           "provenance": {"simmgr_version": "0.6.0", "description_sha256": None, "command": ["simmgr", "--", "x"],
                          "start_time": "2026-01-31T12:00:00Z", "hosts": ["127.0.0.1"], "seed": 1},
           "experiments": [{"experiment": 0, "name": "Experiment 1", "globals": {}, "stop_reason": "max-obs reached",
                            "ran": True, "reproducible": True, "processes": [],
                            "messages": [{"clients": [0], "text": "Warning: <odd> & \"quoted\""}],
                            "variables": [{"index": 0, "name": "tokens", "kind": "terminating", "observations": 4,
                                           "mean": 2.5, "low": 0.5, "high": 4.5, "reached": False,
                                           "note": "unreliable: too few observations", "non_finite": 2,
                                           "distribution": {"percentiles": [
                                               {"p": 0.5, "value": 2.5, "low": None, "high": None, "low_rank": 0,
                                                "high_rank": 5, "coverage": 1.0}],
                                               "histogram": {"edges": [0.5, 1.5, 2.5, 3.5, 4.5],
                                                             "counts": [1, 1, 1, 1]}}}]}]}
    (tmp_path / "r.json").write_text(json.dumps(doc))
    html = render_report(tmp_path / "r.json")
    assert html.count("<svg") == 1  # the histogram only
    assert "No global variable is swept" in html
    assert "2.5 [-inf, inf]" in html
    assert "Warning: &lt;odd&gt; &amp; &quot;quoted&quot;" in html  # escaped, never markup
    for warning in ("tokens: unreliable: too few observations", "tokens: 2 non-finite observations left out"):
        assert warning in html
    assert "none (a hand-written model)" in html
