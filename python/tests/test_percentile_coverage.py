"""Coverage of the percentile intervals simmgr reports, on replications of a known distribution:
the arrivals of a Poisson process of rate 0.5 in [0, 10] (M/M/1, experiment rho_0.5) are
Poisson(5). Each trial is one simulator run of N replications with its own seed, read back by
`simmgr --from-files`; the share of trials whose interval holds the true percentile is compared
with the interval's exact coverage for this discrete distribution."""
import math
import os
from concurrent.futures import ThreadPoolExecutor

import kavrin
from conftest import exe, run

N = 60        # replications per trial
TRIALS = 160  # fixed seeds 1 .. TRIALS
MEAN = 5.0


def poisson_cdf(k: int) -> float:
    return sum(math.exp(-MEAN) * MEAN ** j / math.factorial(j) for j in range(k + 1)) if k >= 0 else 0.0


def binomial_cdf(k: int, n: int, p: float) -> float:
    if k < 0:
        return 0.0
    return min(1.0, sum(math.comb(n, j) * p ** j * (1 - p) ** (n - j) for j in range(min(k, n) + 1)))


def ranks(n: int, p: float, confidence: float) -> tuple[int, int]:
    """Order-statistic ranks: l - 1 the last k with P(B <= k) <= (1 - C) / 2, u - 1 the first k
    with P(B <= k) >= (1 + C) / 2, B ~ binomial(n, p); 0 and n + 1 for an open side."""
    tail = (1 - confidence) / 2
    low = max([k for k in range(-1, n + 1) if binomial_cdf(k, n, p) <= tail])
    high = min(k for k in range(0, n + 1) if binomial_cdf(k, n, p) >= 1 - tail)
    return low + 1, high + 1


def exact_coverage(n: int, low_rank: int, high_rank: int, xi: int) -> float:
    """P(x_(l) <= xi <= x_(u)) for n Poisson(5) values: x_(u) >= xi exactly when fewer than u
    values are below xi, and x_(l) <= xi when at least l are at most xi (l <= u, so the second
    failing implies the first holds)."""
    below, at_most = poisson_cdf(xi - 1), poisson_cdf(xi)
    return binomial_cdf(high_rank - 1, n, below) - binomial_cdf(low_rank - 1, n, at_most)


def trial(seed: int, folder: str) -> list[kavrin.Percentile]:
    result, report = os.path.join(folder, f"t{seed}.bin"), os.path.join(folder, f"t{seed}.json")
    run(exe("MM1_STUDYSim"), "-e", 0, "-N", N, "-n", N, "-s", seed, "-b", result)
    run(exe("simmgr"), "--from-files", result, "--json", report, "--", exe("MM1_STUDYSim"))
    [variable] = kavrin.read_manager_json(report).experiments[0].variables
    assert variable.name == "arrivals" and variable.observations == N
    return variable.percentiles


def test_poisson_percentile_intervals_cover_as_often_as_the_exact_calculation_says(bin_dir, tmp_path):
    with ThreadPoolExecutor(max_workers=2) as pool:
        trials = list(pool.map(lambda s: trial(s, str(tmp_path)), range(1, TRIALS + 1)))
    for i, p in enumerate((0.05, 0.5, 0.95)):
        # The true percentile: the smallest k with P(X <= k) >= p (2, 5 and 9).
        xi = next(k for k in range(100) if poisson_cdf(k) >= p)
        low_rank, high_rank = ranks(N, p, 0.95)
        qs = [t[i] for t in trials]
        assert {(q.p, q.low_rank, q.high_rank) for q in qs} == {(p, low_rank, high_rank)}
        held = sum(1 for q in qs if (q.low is None or q.low <= xi) and (q.high is None or xi <= q.high))
        coverage = exact_coverage(N, low_rank, high_rank, xi)
        assert coverage >= 0.95  # never below the nominal level, whatever the ties
        sigma = math.sqrt(coverage * (1 - coverage) / TRIALS)
        assert abs(held / TRIALS - coverage) <= max(3.5 * sigma, 1.5 / TRIALS), (p, held, coverage)
