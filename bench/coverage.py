#!/usr/bin/env python3
"""Coverage study of the manager's confidence intervals.

Repeats simmgr runs over a fixed list of seeds (run i uses --seed FIRST+i) for each
configuration, and prints per configuration and variable the fraction of intervals that
contain the exact value, its binomial standard error, and the median wall time of a run.

    bench/coverage.py [--build build] [--runs 200] [--only NAME...] [--table out.md]

Exact values: M/M/1 mean number in system rho/(1-rho); Erlang loss fraction of time all
c servers are busy B(c, a) and arrivals lost per batch of 1,000 time units lambda*B*1000;
arrivals in [0, 10] of a Poisson stream 10*lambda (terminating).
"""
import argparse
import json
import math
import os
import statistics
import subprocess
import sys
import tempfile
import time


def erlang_b(c, a):
    terms = [a ** k / math.factorial(k) for k in range(c + 1)]
    return terms[-1] / sum(terms)


B54 = erlang_b(5, 4.0)

# name, simulator, simulator args, experiment, {variable: exact value}
MODELS = [
    ("mm1-rho0.9", "MM1_STUDYSim", ["-t", "0"], 2, {"mean_in_system": 9.0}),
    ("mm1-rho0.5", "MM1_STUDYSim", ["-t", "0"], 0, {"mean_in_system": 1.0}),
    ("erlang", "ERLANG_STUDYSim", ["-t", "0"], 0, {"all_busy": B54, "blocked": 4.0 * B54 * 1000.0}),
    ("mm1-arrivals-terminating", "MM1_STUDYSim", ["-t", "1"], 2, {"arrivals": 9.0}),
]


def configurations(precisions, jobs):
    for name, sim, args, exp, exact in MODELS:
        for p in precisions:
            for j in jobs:
                yield ("%s p=%g jobs=%d" % (name, p, j), sim, args, exp, exact, p, j)


def run_one(build, cfg, seed, workdir, extra):
    label, sim, args, exp, exact, precision, jobs = cfg
    out = os.path.join(workdir, "r.json")
    cmd = [os.path.join(build, "bin", "simmgr"), "--quiet", "--json", out, "--seed", str(seed),
           "--jobs", str(jobs), "--experiments", str(exp), "--precision", str(precision),
           "--confidence", "0.95"] + extra + ["--", os.path.join(build, "bin", sim)] + args
    # A cross build runs simmgr through its emulator (a ;-separated command).
    emulator = [w for w in os.environ.get("KAVRIN_TEST_EMULATOR", "").split(";") if w]
    if emulator:
        cmd = emulator + [cmd[0] + ".exe"] + cmd[1:]
    t0 = time.monotonic()
    p = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wall = time.monotonic() - t0
    # 3: a run that stopped with an interval not to be trusted; still a run to count.
    if p.returncode not in (0, 3):
        raise RuntimeError("%s seed %d: exit %d\n%s" % (label, seed, p.returncode, p.stderr))
    with open(out) as f:
        doc = json.load(f)
    e = doc["experiments"][0]
    res = {}
    for v in e["variables"]:
        if v["name"] not in exact:
            continue
        x = exact[v["name"]]
        bm = v.get("batch_means") or {}
        res[v["name"]] = (v["low"] <= x <= v["high"], v["reached"], bm.get("merge_factor"),
                          bm.get("effective_batches"), v["observations"])
    return wall, res, e["stop_reason"]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default="build")
    ap.add_argument("--runs", type=int, default=200)
    ap.add_argument("--first-seed", type=int, default=1001)
    ap.add_argument("--precisions", default="0.05,0.1")
    ap.add_argument("--jobs", default="1,4")
    ap.add_argument("--only", nargs="*", default=[], help="configurations whose label contains one of these")
    ap.add_argument("--table", help="append the result rows (markdown) to this file")
    ap.add_argument("--log", help="append one line per run (configuration, seed, time, covers) to this file")
    ap.add_argument("--min-coverage", type=float, default=0.0,
                    help="exit 1 if a steady-state configuration covers less often than this")
    ap.add_argument("simmgr_args", nargs="*", help="extra simmgr options, after --")
    a = ap.parse_args()
    precisions = [float(x) for x in a.precisions.split(",")]
    jobs = [int(x) for x in a.jobs.split(",")]
    failed = False
    header = "| Configuration | Variable | Runs | Coverage | Std. error | Median run time (s) | Median merge factor | Median batches | Median observations |"
    print(header)
    print("|---|---|---|---|---|---|---|---|---|")
    sys.stdout.flush()
    with tempfile.TemporaryDirectory(prefix="coverage-") as work:
        for cfg in configurations(precisions, jobs):
            label = cfg[0]
            if a.only and not any(o in label for o in a.only):
                continue
            walls, cover, merges, batches, obs = [], {}, {}, {}, {}
            for i in range(a.runs):
                wall, res, stop = run_one(a.build, cfg, a.first_seed + i, work, a.simmgr_args)
                walls.append(wall)
                if a.log:
                    with open(a.log, "a") as f:
                        f.write("%s\t%d\t%.3f\t%s\t%s\n" % (label, a.first_seed + i, wall, stop, " ".join(
                            "%s=%d" % (n, c[0]) for n, c in sorted(res.items()))))
                for name, (c, _reached, k, b, n) in res.items():
                    cover.setdefault(name, []).append(c)
                    if k is not None:
                        merges.setdefault(name, []).append(k)
                        batches.setdefault(name, []).append(b)
                    obs.setdefault(name, []).append(n)
            for name in cfg[4]:
                cs = cover.get(name, [])
                n = len(cs)
                p = sum(cs) / n if n else float("nan")
                se = math.sqrt(p * (1 - p) / n) if n else float("nan")
                med = lambda d: ("%g" % statistics.median(d[name])) if d.get(name) else "-"
                row = "| %s | %s | %d | %.3f | %.3f | %.3f | %s | %s | %s |" % (
                    label, name, n, p, se, statistics.median(walls), med(merges), med(batches), med(obs))
                print(row)
                sys.stdout.flush()
                if a.table:
                    with open(a.table, "a") as f:
                        f.write(row + "\n")
                if "terminating" not in label and p < a.min_coverage:
                    failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
