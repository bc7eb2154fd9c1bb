// Validates the composed server farm of models/farm.yaml (two copies of one Server submodel sharing
// a repair crew, joined with a dispatcher whose buffer they share) against its Markov chain, solved
// here by Gaussian elimination. The chain is written from the farm's rules, not from the generated
// code: a state is (jobs in the buffer, and for each server whether it is up and its queue). Each
// steady-state estimate's 99% interval (20 groups of batches) must hold the exact value and be at most
// 5% of it wide. The trace names every place and action by its instance path.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/MarkovChain.h"
#include "support/TestProcess.h"

namespace {

namespace fs = std::filesystem;

// The description's defaults.
const double kLambda = 1.5, kDelta = 4.0, kMu = 1.0, kPhi = 0.1, kRho = 0.5;
const int kBuffer = 2, kQueue = 2;
const double kBatch = 2000.0;

using State = std::array<int, 5>;  // jobs, up0, queue0, up1, queue1

class Farm {
 public:
  Farm() {
    for (int j = 0; j <= kBuffer; j++)
      for (int u0 = 0; u0 <= 1; u0++)
        for (int q0 = 0; q0 <= kQueue; q0++)
          for (int u1 = 0; u1 <= 1; u1++)
            for (int q1 = 0; q1 <= kQueue; q1++) States.push_back({j, u0, q0, u1, q1});
    const size_t n = States.size();
    Q.assign(n, std::vector<double>(n, 0.0));
    for (size_t s = 0; s < n; s++) {
      const State x = States[s];
      const int down = (1 - x[1]) + (1 - x[3]);
      if (x[0] < kBuffer) Add(s, With(x, 0, x[0] + 1), kLambda);
      for (int k = 0; k < 2; k++) {
        const int up = 1 + 2 * k, queue = 2 + 2 * k;
        if (x[up] == 1) {
          if (x[queue] < kQueue && x[0] > 0) Add(s, With(With(x, 0, x[0] - 1), queue, x[queue] + 1), kDelta);
          if (x[queue] > 0) Add(s, With(x, queue, x[queue] - 1), kMu);
          Add(s, With(x, up, 0), kPhi);
        } else {
          // One crew for all: each server down gets an equal share of its time.
          Add(s, With(x, up, 1), kRho / down);
        }
      }
    }
  }

  std::vector<double> Stationary() const { return StationaryDistribution(Q); }

  std::vector<State> States;

 private:
  std::vector<std::vector<double>> Q;

  static State With(State x, int k, int v) {
    x[k] = v;
    return x;
  }
  void Add(size_t from, const State& to, double rate) {
    for (size_t t = 0; t < States.size(); t++)
      if (States[t] == to) {
        Q[from][t] += rate;
        Q[from][from] -= rate;
        return;
      }
    FAIL() << "no state";
  }
};

std::map<int, std::vector<double>> Observations(const fs::path& file) {
  std::map<int, std::vector<double>> out;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t comma = line.find(',');
    out[std::stoi(line.substr(0, comma))].push_back(std::stod(line.substr(comma + 1)));
  }
  return out;
}

void ExpectWithin(const char* what, const std::vector<double>& batches, double exact) {
  ASSERT_GE(batches.size(), 20u) << what;
  const size_t per = batches.size() / 20;
  std::vector<double> groups;
  for (size_t g = 0; g < 20; g++) {
    double s = 0;
    for (size_t i = 0; i < per; i++) s += batches[g * per + i];
    groups.push_back(s / per);
  }
  double mean = 0, ss = 0;
  for (double v : groups) mean += v / 20;
  for (double v : groups) ss += (v - mean) * (v - mean);
  const double half = 2.8609 * std::sqrt(ss / 19) / std::sqrt(20.0);  // Student t(19), 0.995
  std::printf("%-28s estimate %.5g +- %.2g (%.1f%%), exact %.5g\n", what, mean, half, 100 * half / exact,
              exact);
  EXPECT_LE(std::fabs(mean - exact), half)
      << what << ": estimate " << mean << " +- " << half << ", exact " << exact;
  EXPECT_LE(half, 0.05 * exact) << what << ": interval too wide to mean anything";
}

TEST(Farm, SteadyStateEstimatesHoldTheMarkovChain) {
  const Farm chain;
  ASSERT_EQ(chain.States.size(), 108u);
  const std::vector<double> pi = chain.Stationary();
  double availability = 0, queue = 0, first = 0, throughput = 0, total = 0;
  for (size_t s = 0; s < pi.size(); s++) {
    const State& x = chain.States[s];
    total += pi[s];
    availability += pi[s] * (x[1] + x[3]) / 2.0;
    queue += pi[s] * (x[2] + x[4]) / 2.0;
    first += pi[s] * x[2];
    throughput += pi[s] * kMu * ((x[1] == 1 && x[2] > 0) + (x[3] == 1 && x[4] > 0));
  }
  ASSERT_NEAR(total, 1.0, 1e-12);
  // The crew alone is a birth-death chain on the number down (0 -> 1 at 2 phi, 1 -> 2 at phi, back at
  // rho): p1 = 2 phi / rho p0, p2 = phi / rho p1, and availability = (2 p0 + p1) / 2.
  const double p1 = 2 * kPhi / kRho, p2 = p1 * kPhi / kRho;
  EXPECT_NEAR(availability, (2 + p1) / 2 / (1 + p1 + p2), 1e-12);

  const testproc::ScratchDir dir("farm_validation");
  testproc::ProcessOptions how;
  how.workDir = dir.path();
  how.timeoutSeconds = 600;
  const testproc::ProcessResult run =
      testproc::Run(FARM_SIM, {"-t", "0", "-N", "400", "-s", "4711", "-a", "s.csv"}, how);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  auto steady = Observations(dir / "s.csv");
  // In file order: availability and mean_queue averaged over the servers, queue_of_first of
  // Farm.Server[0] alone, and throughput, the services of both summed over each batch.
  ExpectWithin("availability", steady[0], availability);
  ExpectWithin("mean queue per server", steady[1], queue);
  ExpectWithin("queue of Farm.Server[0]", steady[2], first);
  ExpectWithin("services per batch", steady[3], throughput * kBatch);
}

TEST(Farm, TraceNamesInstancesByTheirPaths) {
  const testproc::ScratchDir dir("farm_trace");
  testproc::ProcessOptions how;
  how.workDir = dir.path();
  how.timeoutSeconds = 60;
  const testproc::ProcessResult run = testproc::Run(FARM_SIM, {"-N", "1", "-l", "3", "-s", "11"}, how);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* name : {"Farm.Dispatcher.Jobs = 0", "Farm.Server[1].Broken = 0",
                           "Farm.Server[0].Queue = ", "Action: (3)Dispatcher->Farm.Dispatcher.Arrive"})
    EXPECT_NE(run.out.find(name), std::string::npos) << name;
}

}  // namespace
