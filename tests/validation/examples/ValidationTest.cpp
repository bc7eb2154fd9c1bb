// Runs each experiment of the example studies with a fixed seed, reads the observations from the
// simulator's ASCII result file, and checks that the 99% confidence interval of each estimate
// contains the value queueing theory gives, and that the interval is narrow enough for the check
// to mean something: its half-width is at most 5% of the theoretical value (2% for the Erlang
// loss system, whose six service distributions must agree with one value; 15% for a variance).
//
// Steady-state observations are batch means over 1,000 time units; consecutive batches of a
// heavily loaded queue are correlated, so they are regrouped into 20 equal groups of consecutive
// batches before the interval is formed (batch means with longer batches). Terminating
// observations are independent replications.
//
// With VALIDATION_TABLE set to a file name, each check appends one Markdown table row to it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestProcess.h"

namespace {

namespace fs = std::filesystem;

const int kGroups = 20;
const double kZ995 = 2.5758293035489;  // standard normal 0.995 quantile

// Student t 0.995 quantile with nu degrees of freedom (Cornish-Fisher expansion, within 0.002
// of the exact value from nu = 19 up).
double T995(double nu) {
  const double z = kZ995;
  const double z3 = z * z * z;
  const double z5 = z3 * z * z;
  return z + (z3 + z) / (4 * nu) + (5 * z5 + 16 * z3 + 3 * z) / (96 * nu * nu);
}

// Blocking probability of c servers offered a Erlangs.
double ErlangB(int c, double a) {
  double b = 1.0;
  for (int k = 1; k <= c; k++) b = a * b / (k + a * b);
  return b;
}

// Mean number of machines down among n, failing at rate lambda each while up, one repairer at rate mu.
double MachinesDown(int n, double lambda, double mu) {
  std::vector<double> p(n + 1);
  p[0] = 1.0;
  for (int k = 1; k <= n; k++) p[k] = p[k - 1] * (n - k + 1) * lambda / mu;
  double total = 0.0;
  double mean = 0.0;
  for (int k = 0; k <= n; k++) {
    total += p[k];
    mean += k * p[k];
  }
  return mean / total;
}

enum class Estimate { Mean, Variance };

struct Case {
  const char* Label;      // names the test
  const char* Simulator;  // executable
  const char* Variable;   // as named by the reward model
  int Experiment;
  int Generator;
  int Seed;
  bool SteadyState;
  int Batches;  // -N: batches (steady state) or replications (terminating)
  int PV;       // index of the variable in the result file
  Estimate What;
  double Theory;
  double MaxRelativeHalfWidth;
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.Label; }

struct Interval {
  double Estimate;
  double HalfWidth;
  int Observations;
};

Interval MeanInterval(const std::vector<double>& x, bool regroup) {
  std::vector<double> y;
  if (regroup) {
    const size_t per = x.size() / kGroups;
    for (int g = 0; g < kGroups; g++) {
      double s = 0.0;
      for (size_t k = 0; k < per; k++) s += x[g * per + k];
      y.push_back(s / static_cast<double>(per));
    }
  } else {
    y = x;
  }
  const double n = static_cast<double>(y.size());
  double mean = 0.0;
  for (double v : y) mean += v;
  mean /= n;
  double ss = 0.0;
  for (double v : y) ss += (v - mean) * (v - mean);
  const double var = ss / (n - 1);
  return {mean, T995(n - 1) * std::sqrt(var / n), static_cast<int>(x.size())};
}

// The sample variance and its large-sample interval: Var(s^2) ~ (m4 - s^4) / n.
Interval VarianceInterval(const std::vector<double>& x) {
  const double n = static_cast<double>(x.size());
  double mean = 0.0;
  for (double v : x) mean += v;
  mean /= n;
  double m2 = 0.0;
  double m4 = 0.0;
  for (double v : x) {
    const double d = (v - mean) * (v - mean);
    m2 += d;
    m4 += d * d;
  }
  const double s2 = m2 / (n - 1);
  m4 /= n;
  return {s2, kZ995 * std::sqrt((m4 - s2 * s2) / n), static_cast<int>(x.size())};
}

std::vector<std::string> Arguments(const Case& c, const std::string& ascii) {
  return {"-t", c.SteadyState ? "0" : "1",    "-N", std::to_string(c.Batches),
          "-e", std::to_string(c.Experiment), "-r", std::to_string(c.Generator),
          "-s", std::to_string(c.Seed),       "-a", ascii};
}

// The run as a command line, for the table.
std::string CommandLine(const Case& c, const std::string& ascii) {
  std::string cmd = fs::path(c.Simulator).filename().string();
  for (const std::string& a : Arguments(c, ascii)) cmd += " " + a;
  return cmd;
}

// Observations per variable index, in file order.
std::map<int, std::vector<double>> ReadAscii(const fs::path& file) {
  std::map<int, std::vector<double>> obs;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t comma = line.find(',');
    if (comma == std::string::npos) continue;
    obs[std::stoi(line.substr(0, comma))].push_back(std::stod(line.substr(comma + 1)));
  }
  return obs;
}

class Validation : public ::testing::TestWithParam<Case> {};

TEST_P(Validation, ConfidenceIntervalHoldsTheory) {
  const Case& c = GetParam();
  const testproc::ScratchDir dir(std::string("validation_") + c.Label);
  const fs::path ascii = dir / "result.csv";

  const std::string shown = CommandLine(c, "result.csv");
  testproc::ProcessOptions how;
  how.workDir = dir.path();
  how.timeoutSeconds = 600;
  const testproc::ProcessResult run = testproc::Run(c.Simulator, Arguments(c, "result.csv"), how);
  ASSERT_EQ(run.exitCode, 0) << shown << "\n" << run.err;

  std::map<int, std::vector<double>> obs = ReadAscii(ascii);
  const std::vector<double>& x = obs[c.PV];
  ASSERT_GE(static_cast<int>(x.size()), c.Batches) << "too few observations of " << c.Variable;
  const std::vector<double> used(x.begin(), x.begin() + c.Batches);

  const Interval ci = c.What == Estimate::Mean ? MeanInterval(used, c.SteadyState) : VarianceInterval(used);
  const double bound = c.MaxRelativeHalfWidth * std::fabs(c.Theory);
  EXPECT_LE(ci.HalfWidth, bound) << c.Variable << ": the interval is too wide to test anything";
  EXPECT_LE(std::fabs(ci.Estimate - c.Theory), ci.HalfWidth)
      << c.Variable << ": estimate " << ci.Estimate << " +- " << ci.HalfWidth << ", theory " << c.Theory;

  if (const char* table = std::getenv("VALIDATION_TABLE")) {
    std::ofstream out(table, std::ios::app);
    char row[512];
    std::snprintf(row, sizeof row, "| %s | %s%s | %.5g | %.5g | %.3g (%.1f%%) | %s | `%s` |\n", c.Label,
                  c.Variable, c.What == Estimate::Variance ? " (variance)" : "", c.Theory, ci.Estimate,
                  ci.HalfWidth, 100.0 * ci.HalfWidth / std::fabs(c.Theory),
                  std::fabs(ci.Estimate - c.Theory) <= ci.HalfWidth ? "yes" : "NO", shown.c_str());
    out << row;
  }
}

double MM1Mean(double rho) { return rho / (1.0 - rho); }

// Service distributions of ERLANG_STUDY, experiments 0 to 5; Erlang B with c = 5, 4 Erlangs.
const double kBlocking = ErlangB(5, 4.0);
// Blocked arrivals per batch of 1,000: lambda * B * 1,000.
const double kBlockedPerBatch = 4.0 * kBlocking * 1000.0;

const Case kCases[] = {
    // M/M/1, steady state: mean number in system rho / (1 - rho).
    {"MM1_rho05", MM1_SIM, "mean_in_system", 0, 0, 1001, true, 400, 0, Estimate::Mean, MM1Mean(0.5), 0.05},
    {"MM1_rho08", MM1_SIM, "mean_in_system", 1, 0, 1002, true, 2000, 0, Estimate::Mean, MM1Mean(0.8), 0.05},
    {"MM1_rho09", MM1_SIM, "mean_in_system", 2, 0, 1003, true, 4000, 0, Estimate::Mean, MM1Mean(0.9), 0.05},
    {"MM1_rho08_Tausworthe", MM1_SIM, "mean_in_system", 1, 1, 1004, true, 2000, 0, Estimate::Mean,
     MM1Mean(0.8), 0.05},
    {"MM1_rho08_MersenneTwister", MM1_SIM, "mean_in_system", 1, 2, 1005, true, 2000, 0, Estimate::Mean,
     MM1Mean(0.8), 0.05},
    // M/M/1, terminating: arrivals in [0, 10] are Poisson with mean and variance 10 lambda.
    {"MM1_arrivals_05", MM1_SIM, "arrivals", 0, 0, 2001, false, 2000, 1, Estimate::Mean, 5.0, 0.05},
    {"MM1_arrivals_08", MM1_SIM, "arrivals", 1, 0, 2002, false, 2000, 1, Estimate::Mean, 8.0, 0.05},
    {"MM1_arrivals_09", MM1_SIM, "arrivals", 2, 0, 2003, false, 2000, 1, Estimate::Mean, 9.0, 0.05},
    {"MM1_arrivals_05_variance", MM1_SIM, "arrivals", 0, 0, 2001, false, 2000, 1, Estimate::Variance, 5.0,
     0.15},
    {"MM1_arrivals_08_variance", MM1_SIM, "arrivals", 1, 0, 2002, false, 2000, 1, Estimate::Variance, 8.0,
     0.15},
    {"MM1_arrivals_09_variance", MM1_SIM, "arrivals", 2, 0, 2003, false, 2000, 1, Estimate::Variance, 9.0,
     0.15},
    // Erlang loss, c = 5, lambda = 4, mean service 1 under every distribution.
    {"Erlang_Exponential", ERLANG_SIM, "all_busy", 0, 0, 3001, true, 200, 0, Estimate::Mean, kBlocking, 0.02},
    {"Erlang_Deterministic", ERLANG_SIM, "all_busy", 1, 0, 3002, true, 200, 0, Estimate::Mean, kBlocking,
     0.02},
    {"Erlang_Uniform", ERLANG_SIM, "all_busy", 2, 0, 3003, true, 200, 0, Estimate::Mean, kBlocking, 0.02},
    {"Erlang_Gamma", ERLANG_SIM, "all_busy", 3, 0, 3004, true, 200, 0, Estimate::Mean, kBlocking, 0.02},
    {"Erlang_Lognormal", ERLANG_SIM, "all_busy", 4, 0, 3005, true, 200, 0, Estimate::Mean, kBlocking, 0.02},
    {"Erlang_Erlang", ERLANG_SIM, "all_busy", 5, 0, 3006, true, 200, 0, Estimate::Mean, kBlocking, 0.02},
    {"Erlang_Exponential_Tausworthe", ERLANG_SIM, "all_busy", 0, 1, 3007, true, 200, 0, Estimate::Mean,
     kBlocking, 0.02},
    {"Erlang_Exponential_blocked", ERLANG_SIM, "blocked", 0, 0, 3001, true, 200, 1, Estimate::Mean,
     kBlockedPerBatch, 0.02},
    {"Erlang_Deterministic_blocked", ERLANG_SIM, "blocked", 1, 0, 3002, true, 200, 1, Estimate::Mean,
     kBlockedPerBatch, 0.02},
    {"Erlang_Lognormal_blocked", ERLANG_SIM, "blocked", 4, 0, 3005, true, 200, 1, Estimate::Mean,
     kBlockedPerBatch, 0.02},
    // Machine repairman, N = 10, mu = 1.
    {"Repair_lambda005", REPAIR_SIM, "machines_down", 0, 0, 4001, true, 200, 0, Estimate::Mean,
     MachinesDown(10, 0.05, 1.0), 0.05},
    {"Repair_lambda01", REPAIR_SIM, "machines_down", 1, 0, 4002, true, 200, 0, Estimate::Mean,
     MachinesDown(10, 0.1, 1.0), 0.05},
    {"Repair_lambda02", REPAIR_SIM, "machines_down", 2, 0, 4003, true, 200, 0, Estimate::Mean,
     MachinesDown(10, 0.2, 1.0), 0.05},
    {"Repair_lambda01_MersenneTwister", REPAIR_SIM, "machines_down", 1, 2, 4004, true, 200, 0, Estimate::Mean,
     MachinesDown(10, 0.1, 1.0), 0.05},
};

INSTANTIATE_TEST_SUITE_P(Examples, Validation, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.Label); });

// The theory the checks rely on, against values worked out by hand.
TEST(ValidationTheory, KnownValues) {
  EXPECT_NEAR(ErlangB(5, 4.0), 0.1991, 5e-5);
  EXPECT_NEAR(ErlangB(1, 1.0), 0.5, 1e-15);  // one server: a / (1 + a)
  // N = 1: down a fraction lambda / (lambda + mu) of the time.
  EXPECT_NEAR(MachinesDown(1, 0.25, 1.0), 0.2, 1e-15);
  // N = 2, lambda = mu: p ~ 1, 2, 2, mean (2 + 4) / 5.
  EXPECT_NEAR(MachinesDown(2, 1.0, 1.0), 1.2, 1e-15);
  EXPECT_NEAR(T995(19), 2.861, 0.002);
  EXPECT_NEAR(T995(1999), 2.578, 0.002);
}

}  // namespace
