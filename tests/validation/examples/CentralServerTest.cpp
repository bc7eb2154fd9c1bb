// Validates the central-server model built from models/central_server.yaml against the exact
// solution of its Markov chain, computed here: the transient distribution by uniformization (for
// the instant-of-time, time-averaged and interval variables) and the stationary distribution by
// Gaussian elimination (for the steady-state variable). Each estimate's 99% confidence interval
// must contain the exact value and be at most 5% of it wide on either side.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/MarkovChain.h"
#include "support/TestProcess.h"

namespace {

namespace fs = std::filesystem;

const double kZ995 = 2.5758293035489;

struct Parameters {
  int N;
  double Cpu, Disk1, Disk2, P1;
};

// The chain: states (c, d1, d2) with c + d1 + d2 = N; a burst sends a job to disk 1 or 2.
class Chain {
 public:
  explicit Chain(const Parameters& p) : P(p) {
    for (int c = p.N; c >= 0; c--)
      for (int d1 = p.N - c; d1 >= 0; d1--) States.push_back({c, d1, p.N - c - d1});
    const size_t n = States.size();
    Q.assign(n, std::vector<double>(n, 0.0));
    for (size_t s = 0; s < n; s++) {
      auto [c, d1, d2] = States[s];
      if (c > 0) {
        Add(s, {c - 1, d1 + 1, d2}, p.Cpu * p.P1);
        Add(s, {c - 1, d1, d2 + 1}, p.Cpu * (1 - p.P1));
      }
      if (d1 > 0) Add(s, {c + 1, d1 - 1, d2}, p.Disk1);
      if (d2 > 0) Add(s, {c + 1, d1, d2 - 1}, p.Disk2);
    }
    for (size_t s = 0; s < n; s++) Lambda = std::max(Lambda, -Q[s][s]);
    Lambda *= 1.05;
  }

  size_t Size() const { return States.size(); }
  const std::vector<std::array<int, 3>>& All() const { return States; }

  // The expected value of f at time t and its time integral over [0, t], from state 0 (all at the
  // processor): sum over k of Poisson(k; Lambda t) times the k-step distribution of the uniformized
  // chain, and of P(Poisson(Lambda t) > k) / Lambda times it.
  void Transient(const std::vector<double>& f, double t, double* at, double* integral) const {
    std::vector<double> pi(Size(), 0.0);
    pi[0] = 1.0;
    const double a = Lambda * t;
    double weight = std::exp(-a);  // P(Poisson = k)
    double tail = 1.0 - weight;    // P(Poisson > k)
    *at = 0.0;
    *integral = 0.0;
    for (int k = 0; k < 100000 && (weight > 1e-300 || k < a); k++) {
      double value = Dot(pi, f);
      *at += weight * value;
      *integral += tail / Lambda * value;
      if (tail < 1e-14 && k > a) break;
      pi = Step(pi);
      weight *= a / (k + 1);
      tail -= weight;
      if (tail < 0) tail = 0;
    }
  }

  std::vector<double> Stationary() const { return StationaryDistribution(Q); }

  static double Dot(const std::vector<double>& x, const std::vector<double>& y) {
    double s = 0.0;
    for (size_t i = 0; i < x.size(); i++) s += x[i] * y[i];
    return s;
  }

 private:
  Parameters P;
  std::vector<std::array<int, 3>> States;
  std::vector<std::vector<double>> Q;
  double Lambda = 0.0;

  size_t Index(const std::array<int, 3>& s) const {
    for (size_t k = 0; k < States.size(); k++)
      if (States[k] == s) return k;
    return States.size();
  }
  void Add(size_t from, const std::array<int, 3>& to, double rate) {
    size_t t = Index(to);
    Q[from][t] += rate;
    Q[from][from] -= rate;
  }
  std::vector<double> Step(const std::vector<double>& pi) const {
    std::vector<double> next(pi.size(), 0.0);
    for (size_t i = 0; i < pi.size(); i++)
      for (size_t j = 0; j < pi.size(); j++) next[j] += pi[i] * ((i == j ? 1.0 : 0.0) + Q[i][j] / Lambda);
    return next;
  }
};

// Observations per variable from an ASCII result file.
std::map<int, std::vector<double>> Observations(const fs::path& file) {
  std::map<int, std::vector<double>> out;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    size_t comma = line.find(',');
    out[std::stoi(line.substr(0, comma))].push_back(std::stod(line.substr(comma + 1)));
  }
  return out;
}

// Mean and 99% half-width of independent observations (or of 20 group means of batches).
void Interval(std::vector<double> x, bool group, double* mean, double* half) {
  if (group) {
    const size_t per = x.size() / 20;
    std::vector<double> g;
    for (size_t k = 0; k < 20; k++) {
      double s = 0;
      for (size_t i = 0; i < per; i++) s += x[k * per + i];
      g.push_back(s / per);
    }
    x = g;
  }
  double s = 0, ss = 0;
  for (double v : x) s += v;
  *mean = s / x.size();
  for (double v : x) ss += (v - *mean) * (v - *mean);
  double sd = std::sqrt(ss / (x.size() - 1));
  // Student t(19) 0.995 quantile for the grouped case, the normal one for thousands of replications.
  *half = (group ? 2.8609 : kZ995) * sd / std::sqrt(static_cast<double>(x.size()));
}

struct Experiment {
  const char* Label;
  int Number;
  Parameters P;
};

// GoogleTest shows the parameter in the test's name CTest knows: the label, not the object's bytes
// (a pointer among them), so that the name is the same in every build and --rerun-failed finds it.
void PrintTo(const Experiment& e, std::ostream* os) { *os << e.Label; }

class CentralServer : public ::testing::TestWithParam<Experiment> {};

void ExpectWithin(const char* what, const std::vector<double>& obs, bool group, double theory) {
  double mean = 0, half = 0;
  Interval(obs, group, &mean, &half);
  std::printf("%-36s estimate %.5g +- %.2g (%.1f%%), exact %.5g\n", what, mean, half, 100 * half / theory,
              theory);
  EXPECT_LE(std::fabs(mean - theory), half)
      << what << ": estimate " << mean << " +- " << half << ", exact " << theory;
  EXPECT_LE(half, 0.05 * theory) << what << ": interval too wide to mean anything";
}

TEST_P(CentralServer, EstimatesHoldTheExactSolution) {
  const Experiment& e = GetParam();
  Chain chain(e.P);
  std::vector<double> busy, queue, disk1Busy;
  for (const auto& s : chain.All()) {
    busy.push_back(s[0] > 0 ? 1.0 : 0.0);
    queue.push_back(s[0]);
    disk1Busy.push_back(s[1] > 0 ? e.P.Disk1 : 0.0);
  }
  double busy1, busy4, queueAt, queueIntegral, readsAt, readsIntegral, unused;
  chain.Transient(busy, 1.0, &busy1, &unused);
  chain.Transient(busy, 4.0, &busy4, &unused);
  chain.Transient(queue, 10.0, &queueAt, &queueIntegral);
  chain.Transient(disk1Busy, 10.0, &readsAt, &readsIntegral);
  const double utilisation = Chain::Dot(chain.Stationary(), busy);

  const testproc::ScratchDir dir("central_server_" + std::to_string(e.Number));
  testproc::ProcessOptions how;
  how.workDir = dir.path();
  how.timeoutSeconds = 600;
  const std::string exp = std::to_string(e.Number);
  const testproc::ProcessResult t =
      testproc::Run(CENTRAL_SERVER_SIM, {"-e", exp, "-N", "20000", "-s", "4711", "-a", "t.csv"}, how);
  ASSERT_EQ(t.exitCode, 0) << t.err;
  const testproc::ProcessResult ss = testproc::Run(
      CENTRAL_SERVER_SIM, {"-e", exp, "-t", "0", "-N", "400", "-s", "4711", "-a", "s.csv"}, how);
  ASSERT_EQ(ss.exitCode, 0) << ss.err;
  auto terminating = Observations(dir / "t.csv");
  auto steady = Observations(dir / "s.csv");
  // Variables in file order: cpu_busy_at (times 1 and 4), cpu_queue_average, disk1_reads, cpu_utilisation.
  ExpectWithin("processor busy at time 1", terminating[0], false, busy1);
  ExpectWithin("processor busy at time 4", terminating[1], false, busy4);
  ExpectWithin("mean at the processor over [0, 10]", terminating[2], false, queueIntegral / 10.0);
  ExpectWithin("disk 1 reads in [0, 10]", terminating[3], false, readsIntegral);
  ExpectWithin("processor utilisation", steady[4], true, utilisation);
}

INSTANTIATE_TEST_SUITE_P(Examples, CentralServer,
                         ::testing::Values(Experiment{"balanced", 0, {5, 2.0, 1.0, 0.5, 0.6}},
                                           Experiment{"slow_disk2", 1, {5, 2.0, 1.0, 0.25, 0.8}}),
                         [](const ::testing::TestParamInfo<Experiment>& param) {
                           return std::string(param.param.Label);
                         });

}  // namespace
