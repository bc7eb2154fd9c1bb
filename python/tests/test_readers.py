"""The readers against files the simulators and simmgr wrote: both result formats of the same
run, both kinds of run, the sidecars beside a generated simulator, and a sweep through simmgr
read as CSV, JSON and data frames."""
import math
import re
import statistics

import pytest

import kavrin
from kavrin.frames import csv_frame, observations_frame, results_frame
from conftest import exe, run


def test_binary_and_ascii_files_of_one_run_hold_the_same_observations(bin_dir, tmp_path):
    # Terminating: 40 replications in reports of 7; steady state: 20 batches.
    for kind, extra, count in (("terminating", [], 40), ("steady_state", ["-t", "0"], 20)):
        b, a = tmp_path / f"{kind}.bin", tmp_path / f"{kind}.txt"
        run(exe("MM1_STUDYSim"), *extra, "-N", count, "-n", 7, "-s", 5, "-e", 1, "-a", a, "-b", b)
        binary, text = kavrin.read_result_file(b), kavrin.read_result_file(a)
        assert (binary.format, text.format) == ("binary", "ascii")
        assert binary.complete and text.complete
        assert (binary.experiment, binary.seed, binary.generator) == (1, 5, "Lagged Fibonacci")
        assert (text.experiment, text.seed) == (1, 5)
        assert binary.steady_state == text.steady_state == (kind == "steady_state")
        # The variable this kind measures: `count` observations, in reports of at most 7.
        measured = 0 if kind == "steady_state" else 1
        assert len(binary.values[measured]) == len(text.values[measured]) == count
        assert [len(r.values[measured]) for r in binary.records] == [7] * (count // 7) + [count % 7]
        for index in binary.values:  # ASCII keeps ten decimals
            assert binary.values[index] == pytest.approx(text.values[index], abs=1e-10)
        if kind == "terminating":
            assert binary.batches == text.batches == 40
            # Arrivals in [0, 10] are whole numbers; the steady-state row is written as 0.0.
            assert all(v == int(v) for v in binary.values[1]) and set(binary.values[0]) == {0.0}


def test_a_cut_binary_file_reads_as_far_as_it_goes(bin_dir, tmp_path):
    path = tmp_path / "run.bin"
    run(exe("MM1_STUDYSim"), "-N", 10, "-n", 3, "-s", 2, "-b", path)
    whole = path.read_bytes()
    path.write_bytes(whole[:-5])
    cut = kavrin.read_binary_result_file(path)
    assert not cut.complete
    assert len(cut.values[1]) == 9  # the last record (one replication) is lost
    with pytest.raises(ValueError):
        kavrin.read_result_file(__file__)


def test_sidecars_say_what_the_simulator_and_simmgr_say(bin_dir):
    sim = kavrin.read_simulator(exe("MM1_STUDYSim"))
    assert [(v.name, v.type, v.times) for v in sim.pv] == [("mean_in_system", 3, [(1000.0, 2000.0)]),
                                                           ("arrivals", 1, [(0.0, 10.0)])]
    assert [(r.index, r.name, r.kind) for r in sim.kinds] == [(0, "mean_in_system", "steady_state"),
                                                              (1, "arrivals", "terminating")]
    study = sim.study
    assert [(g.name, g.type, g.letter) for g in study.globals] == [("lambda", "double", "d"), ("mu", "double", "d")]
    assert [(e.index, e.name) for e in study.experiments] == [(0, "rho_0.5"), (1, "rho_0.8"), (2, "rho_0.9")]
    assert study.swept() == ["lambda"]
    assert re.fullmatch(r"[0-9a-f]{64}", study.description_sha256)
    # The simulator prints its experiment's values before it runs.
    out = run(exe("MM1_STUDYSim"), "-e", 2, "-N", 1).stdout
    printed = dict(re.findall(r"^  (\w+) = (\S+)$", out, re.M))
    assert {k: float(v) for k, v in printed.items()} == study.experiment("rho_0.9").values
    # simmgr's listing names the same experiments.
    listing = run(exe("simmgr"), "--list", "--", exe("MM1_STUDYSim")).stdout
    assert all(e.name in listing for e in study.experiments)


def test_a_sweep_reads_the_same_from_csv_json_data_frames_and_the_study_runner(bin_dir, tmp_path):
    options = ["--jobs", "1", "--experiments", "all", "--precision", "0.5", "--min-obs", "100", "--max-obs", "400",
               "--seed", "7"]
    run(exe("simmgr"), "--quiet", *options, "--csv", tmp_path / "r.csv", "--json", tmp_path / "r.json", "--",
        exe("MM1_STUDYSim"), expect=(0, 3))
    rows = kavrin.read_manager_csv(tmp_path / "r.csv")
    results = kavrin.read_manager_json(tmp_path / "r.json")
    assert results.swept() == ["lambda"]
    assert [e.globals for e in results.experiments] == [{"lambda": x, "mu": 1} for x in (0.5, 0.8, 0.9)]
    assert results.provenance["description_sha256"] == kavrin.read_simulator(exe("MM1_STUDYSim")).study.description_sha256
    by_json = {(r["experiment"], r["variable"]): r for r in results.rows()}
    assert len(rows) == len(by_json) == 6
    for r in rows:
        j = by_json[(r["experiment"], r["variable"])]
        # CSV numbers carry 17 digits: they read back as the JSON's doubles.
        assert (r["observations"], r["mean"], r["low"], r["high"]) == (j["observations"], j["mean"], j["low"], j["high"])
        assert r["lambda"] == j["lambda"] and r["experiment_name"] == j["experiment_name"]
    # Terminating rows have percentiles, steady-state ones do not.
    assert {r["variable"]: math.isnan(r["p50"]) for r in results.rows()} == {"arrivals": False, "mean_in_system": True}

    frame = results_frame(tmp_path / "r.json")
    assert list(frame[frame.variable == "arrivals"]["lambda"]) == [0.5, 0.8, 0.9]
    assert list(csv_frame(tmp_path / "r.csv")["lambda"]) == [0.5, 0.5, 0.8, 0.8, 0.9, 0.9]
    # The same seed and options through the runner: the same figures.
    study = kavrin.run_study(exe("MM1_STUDYSim"), jobs=1, experiments="all", precision=0.5, min_obs=100,
                             max_obs=400, seed=7)
    assert list(study["mean"]) == list(frame["mean"])
    assert list(study.columns[:4]) == ["experiment", "experiment_name", "lambda", "mu"]


def test_manager_figures_and_percentiles_follow_from_the_file_values(bin_dir, tmp_path):
    path = tmp_path / "run.bin"
    run(exe("MM1_STUDYSim"), "-N", 200, "-n", 50, "-s", 9, "-e", 2, "-b", path)
    values = kavrin.read_result_file(path).values[1]
    run(exe("simmgr"), "--from-files", path, "--json", tmp_path / "r.json", "--", exe("MM1_STUDYSim"))
    # A terminating file: only its terminating variable is reported.
    [v] = kavrin.read_manager_json(tmp_path / "r.json").experiments[0].variables
    assert v.name == "arrivals" and v.observations == 200
    assert v.mean == pytest.approx(statistics.fmean(values), rel=1e-13)
    assert v.variance == pytest.approx(statistics.variance(values), rel=1e-12)
    ordered = sorted(values)
    for q in v.percentiles:
        # Linear interpolation at (n - 1) p, as statistics.quantiles' "inclusive" method.
        cuts = statistics.quantiles(ordered, n=100, method="inclusive")
        assert q.value == pytest.approx(cuts[round(q.p * 100) - 1], abs=1e-9)
        assert (q.low, q.high) == (ordered[q.low_rank - 1], ordered[q.high_rank - 1])
    edges, counts = v.histogram
    assert sum(counts) == 200 and edges[0] <= ordered[0] and edges[-1] >= ordered[-1]

    frame = observations_frame(kavrin.read_result_file(path), kavrin.read_simulator(exe("MM1_STUDYSim")).names(),
                               kavrin.read_simulator(exe("MM1_STUDYSim")).study)
    assert list(frame.columns) == ["observation", "mean_in_system", "arrivals", "experiment", "experiment_name",
                                   "lambda", "mu"]
    assert list(frame["arrivals"]) == values and set(frame["lambda"]) == {0.9}
    assert math.isclose(frame["arrivals"].mean(), v.mean, rel_tol=1e-12)
