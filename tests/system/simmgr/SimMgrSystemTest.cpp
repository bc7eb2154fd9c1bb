// Runs the real simmgr executable against the fake simulator (and the carried study's
// simulator when it is built) and checks what it prints and writes.
#include <gtest/gtest.h>

#include <boost/math/distributions/students_t.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>

#include "support/TestProcess.h"

using nlohmann::json;

namespace {

struct RunOutput {
  int exitCode = -1;
  std::string out, err;
  json doc;
};

using testproc::ReadFile;

class SimMgr : public ::testing::Test {
 protected:
  // The manager with its own arguments, then "--", the simulator and the simulator's arguments;
  // the JSON summary goes into the scratch directory.
  std::unique_ptr<testproc::Process> Start(const std::vector<std::string>& managerArgs,
                                           const std::vector<std::string>& simArgs,
                                           const std::string& simulator = FAKE_SIMULATOR) {
    std::vector<std::string> words{"--json", dir / "result.json"};
    words.insert(words.end(), managerArgs.begin(), managerArgs.end());
    words.push_back("--");
    words.push_back(simulator);
    words.insert(words.end(), simArgs.begin(), simArgs.end());
    std::remove((dir / "result.json").c_str());
    return std::make_unique<testproc::Process>(SIMMGR_EXE, words);
  }

  RunOutput Wait(testproc::Process& manager) {
    const testproc::ProcessResult p = manager.Wait();
    RunOutput r;
    r.exitCode = p.shellStatus();
    r.out = p.out;
    r.err = p.err;
    const std::string text = ReadFile(dir / "result.json");
    if (!text.empty()) r.doc = json::parse(text);
    return r;
  }

  RunOutput Run(const std::vector<std::string>& managerArgs, const std::vector<std::string>& simArgs,
                const std::string& simulator = FAKE_SIMULATOR) {
    return Wait(*Start(managerArgs, simArgs, simulator));
  }

  testproc::ScratchDir dir{"simmgr_test"};
};

const json& OnlyVariable(const RunOutput& r, size_t experiment = 0) {
  static const json empty;
  if (!r.doc.contains("experiments") || r.doc["experiments"].size() <= experiment ||
      r.doc["experiments"][experiment]["variables"].size() != 1) {
    ADD_FAILURE() << "no single variable in\n" << r.out << r.err;
    return empty;
  }
  return r.doc["experiments"][experiment]["variables"][0];
}

}  // namespace

TEST_F(SimMgr, ConstantObservationsGiveAZeroWidthInterval) {
  const RunOutput r = Run({"--jobs", "2", "--min-obs", "1000", "--quiet"}, {"-V", "4"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json& v = OnlyVariable(r);
  EXPECT_EQ(v["name"], "pv0");
  EXPECT_EQ(v["mean"], 4.0);
  EXPECT_EQ(v["variance"], 0.0);
  EXPECT_EQ(v["half_width"], 0.0);
  EXPECT_GE(v["observations"].get<uint64_t>(), 1000u);
  EXPECT_TRUE(v["reached"].get<bool>());
  EXPECT_EQ(r.doc["experiments"][0]["stop_reason"], "precision reached");
  EXPECT_NE(r.out.find("precision reached"), std::string::npos);
  EXPECT_NE(r.out.find("seed:        31415 with 2 jobs"), std::string::npos);
  EXPECT_NE(r.out.find("-n 100 -V 4"), std::string::npos) << r.out;
}

TEST_F(SimMgr, PooledEstimateEqualsAnOfflineComputationOfTheSameObservations) {
  const RunOutput r = Run({"--jobs", "3", "--min-obs", "600", "--precision", "0.005", "--report-size", "50",
                           "--confidence", "0.9", "--quiet"},
                          {"-V", "normal:10:2", "-D", dir.path()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Every value the fakes sent is in their logs; the manager must have pooled exactly the first
  // k of each, the same k for every one of them, and counted the rest as not used.
  const json& e = r.doc["experiments"][0];
  const uint64_t k = e["phases"][0]["prefix"].get<uint64_t>();
  std::vector<double> xs;
  uint64_t sent = 0;
  for (int c = 0; c < 3; ++c) {
    std::ifstream f(dir / "obs.0." + std::to_string(c));
    int index;
    double x;
    uint64_t n = 0;
    while (f >> index >> x)
      if (++n <= k) xs.push_back(x);
    sent += n;
    EXPECT_EQ(e["processes"][c]["observations"].get<uint64_t>(), n);
    EXPECT_EQ(e["processes"][c]["observations_used"].get<uint64_t>(), std::min(n, k));
  }
  ASSERT_GT(xs.size(), 600u);
  EXPECT_EQ(e["observations_not_used"].get<uint64_t>(), sent - xs.size());
  EXPECT_TRUE(e["reproducible"].get<bool>());
  double sum = 0;
  for (double x : xs) sum += x;
  const double n = static_cast<double>(xs.size()), mean = sum / n;
  double ss = 0;
  for (double x : xs) ss += (x - mean) * (x - mean);
  const double var = ss / (n - 1);
  const double t = boost::math::quantile(boost::math::students_t(n - 1), 0.95);
  const double hw = t * std::sqrt(var / n);

  const json& v = OnlyVariable(r);
  EXPECT_EQ(v["observations"].get<size_t>(), xs.size()) << r.out << r.err;
  EXPECT_NEAR(v["mean"].get<double>(), mean, 1e-9 * std::fabs(mean));
  EXPECT_NEAR(v["variance"].get<double>(), var, 1e-9 * var);
  EXPECT_NEAR(v["half_width"].get<double>(), hw, 1e-9 * hw);
  EXPECT_NEAR(v["relative_half_width"].get<double>(), hw / std::fabs(mean), 1e-9);
  EXPECT_EQ(v["reached"].get<bool>(), hw / std::fabs(mean) <= 0.005);
}

TEST_F(SimMgr, ASimulatorStillGreetingWhenTheRunStopsIsQuitAndWhatItSentIsPooled) {
  // Client 1 is connected but greets and reports only once a command arrives, so no checkpoint
  // is ever ready and the time limit stops the run. The quit makes it greet and send one report
  // of 50; those records are on their way before the simulator ends and must be pooled, not
  // dropped with a closed link. A stop between checkpoints uses the largest prefix every
  // simulator has: 50 of each.
  const RunOutput r =
      Run({"--jobs", "2", "--min-obs", "100", "--report-size", "50", "--time-limit", "1", "--quiet"},
          {"-V", "4", "-D", dir.path(), "-F", "greetlate@1,after=1,slow=5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  size_t logged[2] = {0, 0};
  for (int c = 0; c < 2; ++c) {
    std::ifstream f(dir / "obs.0." + std::to_string(c));
    int index;
    double x;
    while (f >> index >> x) ++logged[c];
  }
  const json& e = r.doc["experiments"][0];
  const json& late = e["processes"][1];
  EXPECT_EQ(logged[1], 50u) << r.out << r.err;
  EXPECT_GT(logged[0], 50u) << r.out << r.err;
  EXPECT_EQ(late["observations"].get<size_t>(), logged[1]) << r.out << r.err;
  EXPECT_EQ(late["outcome"], "quit, exited with code 0");
  EXPECT_FALSE(late["fault"].get<bool>());
  EXPECT_EQ(e["stop_reason"], "time limit");
  EXPECT_FALSE(e["reproducible"].get<bool>());
  EXPECT_EQ(e["processes"][0]["observations_used"], 50);
  EXPECT_EQ(OnlyVariable(r)["observations"].get<size_t>(), 100u);
  EXPECT_EQ(e["observations_not_used"].get<size_t>(), logged[0] - 50);
}

TEST_F(SimMgr, IntervalsOfManyIndependentRunsCoverTheKnownMean) {
  // 60 experiments, each its own simulator and seed, 20 to 40 normal observations each.
  // At 90% confidence about 54 intervals cover 10 (binomial sd 2.3); 45 or fewer is a fault.
  const RunOutput r = Run({"--jobs", "1", "--experiments", "0-59", "--max-obs", "20", "--report-size", "20",
                           "--precision", "0", "--confidence", "0.9", "--quiet"},
                          {"-V", "normal:10:3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_EQ(r.doc["experiments"].size(), 60u);
  int covered = 0;
  std::set<uint32_t> seeds;
  for (const json& e : r.doc["experiments"]) {
    const json& v = e["variables"][0];
    if (v["low"].get<double>() <= 10.0 && 10.0 <= v["high"].get<double>()) ++covered;
    seeds.insert(e["processes"][0]["seed"].get<uint32_t>());
    EXPECT_EQ(e["stop_reason"], "max-obs reached");
  }
  EXPECT_EQ(seeds.size(), 60u);
  EXPECT_GT(covered, 45);
  EXPECT_LE(covered, 60);
}

TEST_F(SimMgr, TwoExperimentsWithFourJobsEach) {
  const RunOutput r = Run({"--jobs", "4", "--experiments", "0,1", "--min-obs", "2000", "--precision", "0.01",
                           "--quiet", "--csv", dir / "result.csv"},
                          {"-V", "normal:5:1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_EQ(r.doc["experiments"].size(), 2u);
  std::set<uint32_t> seeds;
  for (int e = 0; e < 2; ++e) {
    const json& exp = r.doc["experiments"][e];
    EXPECT_EQ(exp["experiment"], e);
    ASSERT_EQ(exp["processes"].size(), 4u);
    for (int c = 0; c < 4; ++c) {
      const json& p = exp["processes"][c];
      EXPECT_EQ(p["client"], c);
      EXPECT_FALSE(p["fault"].get<bool>()) << p.dump();
      seeds.insert(p["seed"].get<uint32_t>());
      EXPECT_NE(p["command"].get<std::string>().find("-e " + std::to_string(e) + " -s "), std::string::npos);
    }
    EXPECT_NEAR(OnlyVariable(r, e)["mean"].get<double>(), 5.0, 0.1);
  }
  EXPECT_EQ(seeds.size(), 8u);
  const std::string csv = ReadFile(dir / "result.csv");
  EXPECT_EQ(csv.rfind("experiment,index,variable,kind,observations,mean,", 0), 0u);
  EXPECT_NE(csv.find("\n0,0,pv0,terminating,"), std::string::npos);
  EXPECT_NE(csv.find("\n1,0,pv0,terminating,"), std::string::npos);

  // The same seed and job count give the same process seeds again.
  const RunOutput again =
      Run({"--jobs", "4", "--experiments", "0,1", "--min-obs", "100", "--quiet"}, {"-V", "1"});
  for (int e = 0; e < 2; ++e)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(again.doc["experiments"][e]["processes"][c]["seed"],
                r.doc["experiments"][e]["processes"][c]["seed"]);
}

// The template and the listening address the manager adds for a second loopback host are POSIX
// shell words (env); a Windows launch template runs through cmd.exe.
#ifndef _WIN32
TEST_F(SimMgr, LauncherTemplateSpreadsJobsOverLoopbackHosts) {
  const RunOutput r = Run({"--jobs", "3", "--min-obs", "500", "--quiet", "--launch",
                           "env SIMMGR_ON={host} {cmd}", "--hosts", "127.0.0.1,127.0.0.2"},
                          {"-V", "4"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const json& procs = r.doc["experiments"][0]["processes"];
  ASSERT_EQ(procs.size(), 3u);
  EXPECT_EQ(procs[0]["host"], "127.0.0.1");
  EXPECT_EQ(procs[1]["host"], "127.0.0.2");
  EXPECT_EQ(procs[2]["host"], "127.0.0.1");
  EXPECT_EQ(
      procs[1]["command"].get<std::string>().rfind(
          "env SIMMGR_ON=127.0.0.2 env KAVRIN_LISTEN_ADDRESS=127.0.0.2 " FAKE_SIMULATOR " -w -p 0 -c 1", 0),
      0u);
  EXPECT_EQ(OnlyVariable(r)["mean"], 4.0);
}
#endif

TEST_F(SimMgr, RecordsSplitIntoSingleBytesOrSentTogetherReadTheSame) {
  for (const char* how : {"split,slow=1", "batch"}) {
    const RunOutput r = Run({"--jobs", "1", "--min-obs", "250", "--quiet", "--report-size", "20"},
                            {"-V", "4,2", "-F", how, "-D", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << how << r.err;
    const json& vars = r.doc["experiments"][0]["variables"];
    ASSERT_EQ(vars.size(), 2u) << how;
    EXPECT_EQ(vars[0]["mean"], 4.0);
    EXPECT_EQ(vars[1]["mean"], 2.0);
    std::ifstream log(dir / "obs.0.0");
    size_t lines = 0;
    std::string line;
    while (std::getline(log, line)) ++lines;
    // Every value sent was read: two per observation.
    EXPECT_EQ(2 * r.doc["experiments"][0]["processes"][0]["observations"].get<size_t>(), lines) << how;
    EXPECT_TRUE(r.err.empty()) << r.err;
  }
}

TEST_F(SimMgr, BrokenLinksAreReportedAndTheOthersGoOnButTheResultsAreIncomplete) {
  // Client 1 sends a record of length 11, client 2 closes in the middle of a record,
  // client 3 wrongly names its process, client 0 is well behaved throughout.
  const RunOutput r = Run({"--jobs", "4", "--min-obs", "3000", "--quiet", "--report-size", "20"},
                          {"-V", "4", "-F", "badlen@1,cut@2,wrongpid@3,slow=2"});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_NE(r.err.find("client 1 (pid"), std::string::npos);
  EXPECT_NE(r.err.find("malformed record: unknown record length 11; connection closed"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("connection closed in the middle of a record"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("greeting from process"), std::string::npos) << r.err;
  const json& procs = r.doc["experiments"][0]["processes"];
  EXPECT_FALSE(procs[0]["fault"].get<bool>());
  for (int c = 1; c < 4; ++c) EXPECT_TRUE(procs[c]["fault"].get<bool>()) << c;
  EXPECT_EQ(procs[3]["observations"], 0);
  EXPECT_GE(OnlyVariable(r)["observations"].get<uint64_t>(), 3000u);
}

TEST_F(SimMgr, CrashedSimulatorIsReportedWithItsStandardErrorAndTheResultsAreIncomplete) {
  // Client 0 needs about two seconds for its observations, so clients 1 and 2 have come up and
  // crashed long before, even on a loaded machine: one with an exit code, one by a signal.
  const RunOutput r = Run({"--jobs", "3", "--min-obs", "1600", "--quiet", "--report-size", "20"},
                          {"-V", "4", "-F", "crash@1,segv@2,slow=25"});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_NE(r.err.find("client 1 (pid"), std::string::npos);
  EXPECT_NE(r.err.find("exited with code 3 before it was asked to stop"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("| fatal: the fake simulator crashed on purpose"), std::string::npos) << r.out;
  EXPECT_TRUE(r.doc["experiments"][0]["processes"][1]["fault"].get<bool>());
  const json& segv = r.doc["experiments"][0]["processes"][2];
  EXPECT_TRUE(segv["fault"].get<bool>());
#ifdef _WIN32
  // Windows has no signals: the runtime ends a process that raises one with exit code 3.
  EXPECT_EQ(segv["outcome"].get<std::string>().find("exited with code 3"), 0u) << segv.dump();
#else
  EXPECT_NE(segv["outcome"].get<std::string>().find("ended by"), std::string::npos) << segv.dump();
#endif
  EXPECT_GE(OnlyVariable(r)["observations"].get<uint64_t>(), 1600u);
}

TEST_F(SimMgr, NoPortAnnouncementIsAnErrorAndNoObservationFailsTheRun) {
  const RunOutput r = Run({"--jobs", "1", "--register-timeout", "0.5", "--quiet"}, {"-F", "noregister"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no port announcement within 0.5 s"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("no observations"), std::string::npos) << r.out;

  const RunOutput missing = Run({"--jobs", "1", "--quiet"}, {}, "/nonexistent/simulator");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.out.find("cannot start /nonexistent/simulator"), std::string::npos) << missing.out;
}

TEST_F(SimMgr, StopsAtTheTimeLimitOrAtMaxObs) {
  const RunOutput timed =
      Run({"--jobs", "1", "--time-limit", "0.5", "--precision", "0", "--quiet", "--report-size", "10"},
          {"-V", "normal:1:1", "-F", "slow=20"});
  ASSERT_EQ(timed.exitCode, 0) << timed.err;
  EXPECT_EQ(timed.doc["experiments"][0]["stop_reason"], "time limit");
  EXPECT_NE(timed.doc["experiments"][0]["processes"][0]["outcome"].get<std::string>().find("quit"),
            std::string::npos);

  const RunOutput capped =
      Run({"--jobs", "1", "--max-obs", "300", "--precision", "0", "--quiet"}, {"-V", "normal:1:1"});
  ASSERT_EQ(capped.exitCode, 0) << capped.err;
  EXPECT_EQ(capped.doc["experiments"][0]["stop_reason"], "max-obs reached");
  EXPECT_GE(OnlyVariable(capped)["observations"].get<uint64_t>(), 300u);
}

TEST_F(SimMgr, NamesComeFromTheDescriptionAndOnlyConsideredVariablesCount) {
  std::ofstream(dir / "model.pv") << "Version:1\nNumPV:2\nName:token_game\nType:1\nNumTimes:1\nStart:0\n"
                                     "Stop:100\nName:throughput\nType:3\nNumTimes:1\nStart:0\nStop:10\n";
  std::ofstream(dir / "model.pvkind") << "0 token_game terminating\n1 throughput steady_state\n";
  // A terminating run also sends 0.0 for its steady-state variable; it must not be reported.
  const RunOutput r = Run({"--jobs", "1", "--min-obs", "200", "--quiet", "--pv-file", dir / "model.pv"},
                          {"-V", "4,0", "-t", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(OnlyVariable(r)["name"], "token_game");
  EXPECT_GT(r.doc["experiments"][0]["ignored_observations"].get<uint64_t>(), 0u);
  EXPECT_NE(r.out.find("token_game"), std::string::npos);

  // A record naming a variable the description lacks is refused.
  const RunOutput extra = Run({"--jobs", "1", "--min-obs", "200", "--quiet", "--pv-file", dir / "model.pv"},
                              {"-V", "4,0,1", "-t", "1"});
  EXPECT_EQ(extra.exitCode, 2);
  EXPECT_NE(extra.err.find("names variable 2 but the model has 2"), std::string::npos) << extra.err;
}

TEST_F(SimMgr, DetachHandsEachSimulatorItsOwnFile) {
  const RunOutput r = Run(
      {"--jobs", "2", "--min-obs", "100", "--quiet", "--detach", dir / "run.bin", "--detach-batches", "7"},
      {"-V", "4"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int c = 0; c < 2; ++c) {
    const json& p = r.doc["experiments"][0]["processes"][c];
    if (p["simulator_pid"] == 0) continue;  // stopped before it linked
    const std::string name = dir / "run.e0.c" + std::to_string(c) + ".bin";
    EXPECT_EQ(p["outcome"], "detached into " + name);
    for (int i = 0; i < 50 && ReadFile(name).empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFile(name), "detached " + name + ";7;;\n");
  }
}

// A signal partway through a run: every simulator is quit, and what was collected is still
// printed and written; SIGINT (Ctrl-C) and SIGHUP (a closed terminal) alike. (On Windows the
// Ctrl-Break a test can send reaches only a process that shares a console with it; the tests
// run without one.)
#ifndef _WIN32
TEST_F(SimMgr, InterruptOrHangupQuitsTheSimulatorsAndStillReports) {
  for (const bool interrupt : {true, false}) {
    SCOPED_TRACE(interrupt ? "interrupt" : "hang-up");
    const std::string csv = dir / (interrupt ? "result_interrupt.csv" : "result_hangup.csv");
    const auto manager = Start({"--jobs", "2", "--precision", "0", "--report-size", "10",
                                "--progress-interval", "0.1", "--csv", csv},
                               {"-V", "normal:3:1", "-F", "slow=10"});
    for (int i = 0; i < 100 && manager->ErrSoFar().find("n=") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (interrupt)
      manager->Interrupt();
    else
      manager->Hangup();
    const RunOutput r = Wait(*manager);
    EXPECT_EQ(r.exitCode, 130);
    EXPECT_TRUE(r.doc["interrupted"].get<bool>());
    EXPECT_EQ(r.doc["experiments"][0]["stop_reason"], "interrupted");
    EXPECT_GT(OnlyVariable(r)["observations"].get<uint64_t>(), 0u);
    for (const json& p : r.doc["experiments"][0]["processes"])
      EXPECT_EQ(p["outcome"].get<std::string>().rfind("quit, exited with code 0", 0), 0u) << p.dump();
    // Progress lines went to standard error while it ran.
    EXPECT_NE(r.err.find("experiment 0:  pv0 n="), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Experiment 0: interrupted"), std::string::npos) << r.out;
    EXPECT_NE(ReadFile(csv).find("\n0,0,pv0,"), std::string::npos);
  }
}
#endif

TEST_F(SimMgr, CarriedStudyEstimatesTokenGameAsFour) {
  const std::string sim = REAL_SIMULATOR;
  const RunOutput r = Run({"--jobs", "2", "--min-obs", "1000", "--quiet"}, {}, sim);
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  const json& v = OnlyVariable(r);
  EXPECT_EQ(v["mean"], 4.0);
  EXPECT_EQ(v["variance"], 0.0);
  EXPECT_EQ(v["half_width"], 0.0);
  EXPECT_EQ(r.doc["experiments"][0]["stop_reason"], "precision reached");
  EXPECT_GE(v["observations"].get<uint64_t>(), 1000u);
  for (const json& p : r.doc["experiments"][0]["processes"]) EXPECT_FALSE(p["fault"].get<bool>()) << p.dump();
}

TEST_F(SimMgr, EachKindOfRunReportsOnlyItsOwnVariables) {
  const std::string sim = MIXED_SIMULATOR;
  // The sidecar the build wrote stands beside the simulator, without its ".exe" on Windows.
  std::string sidecar = sim;
  if (sidecar.size() > 4 && sidecar.compare(sidecar.size() - 4, 4, ".exe") == 0)
    sidecar.resize(sidecar.size() - 4);
  sidecar += ".pvkind";
  std::map<std::string, std::string> kinds;  // name -> kind
  {
    std::ifstream f(sidecar);
    ASSERT_TRUE(f) << "the build wrote no " << sidecar;
    std::string index, name, kind;
    while (f >> index >> name >> kind) kinds[name] = kind;
  }
  for (const char* t : {"1", "0"}) {
    const RunOutput r =
        Run({"--jobs", "2", "--min-obs", "50", "--precision", "1", "--time-limit", "20", "--quiet"},
            {"-t", t}, sim);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    const json& vars = r.doc["experiments"][0]["variables"];
    ASSERT_FALSE(vars.empty()) << r.out;
    for (const json& v : vars)
      EXPECT_EQ(kinds[v["name"].get<std::string>()], std::string(t) == "1" ? "terminating" : "steady_state")
          << v.dump();
  }
}

TEST_F(SimMgr, NonFiniteObservationsFlagTheVariableOnceAndAreCountedNotHidden) {
  // Each client sends one NaN in its first report and one +inf in its second, both in pv1.
  // pv0 is constant and reaches its precision; pv1 must be flagged, not left as nan or
  // waited for forever, and every non-finite value must be counted.
  const RunOutput r =
      Run({"--jobs", "2", "--min-obs", "400", "--report-size", "50", "--quiet", "--csv", dir / "result.csv"},
          {"-V", "4,normal:2:1", "-F", "nan=1,inf=2,slow=5", "-D", dir.path()});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  // Counted over the observations the results hold: the first k of pv1 from each client.
  const uint64_t k = r.doc["experiments"][0]["phases"][0]["prefix"].get<uint64_t>();
  size_t finite = 0, nonFinite = 0;
  for (int c = 0; c < 2; ++c) {
    std::ifstream f(dir / "obs.0." + std::to_string(c));
    std::string index, x;
    uint64_t seen = 0;
    while (f >> index >> x)
      if (index == "1" && ++seen <= k) ++(x == "nan" || x == "inf" ? nonFinite : finite);
  }
  ASSERT_GE(nonFinite, 2u) << r.err;
  const json& vars = r.doc["experiments"][0]["variables"];
  ASSERT_EQ(vars.size(), 2u);
  EXPECT_TRUE(vars[0]["reached"].get<bool>());
  EXPECT_EQ(vars[0]["non_finite"], 0);
  EXPECT_FALSE(vars[1]["reached"].get<bool>());
  EXPECT_EQ(vars[1]["non_finite"].get<size_t>(), nonFinite);
  EXPECT_EQ(vars[1]["observations"].get<size_t>(), finite);
  EXPECT_NEAR(vars[1]["mean"].get<double>(), 2.0, 0.5);  // the finite ones still make an estimate
  // Not "precision reached": that is said only when every variable reached it.
  EXPECT_EQ(r.doc["experiments"][0]["stop_reason"],
            "other variables precise; pv1 flagged: non-finite observations");
  // Said once, however many arrive.
  const std::string said = "variable pv1 received a non-finite observation";
  const size_t first = r.err.find(said);
  EXPECT_NE(first, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(said, first + 1), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("warning: pv1 received " + std::to_string(nonFinite) + " non-finite observations"),
            std::string::npos)
      << r.out;
  EXPECT_NE(ReadFile(dir / "result.csv").find("\n0,1,pv1,"), std::string::npos);
}

TEST_F(SimMgr, SimulatorsThatCouldNotStartAreCountedAndTheRunStillReportsButFails) {
  const RunOutput r =
      Run({"--jobs", "3", "--min-obs", "2000", "--quiet"}, {"-V", "4", "-F", "nostart@1,slow=20"});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_NE(r.err.find("simmgr: experiment 0: 2 of 3 simulators started"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("warning: 2 of 3 simulators started"), std::string::npos) << r.out;
  const json& e = r.doc["experiments"][0];
  EXPECT_EQ(e["simulators_started"], 2);
  EXPECT_EQ(e["simulators_not_started"], 1);
  EXPECT_FALSE(e["processes"][1]["started"].get<bool>());
  EXPECT_NE(e["processes"][1]["stderr_tail"].get<std::string>().find("cannot start"), std::string::npos);
  const json& v = OnlyVariable(r);
  EXPECT_EQ(v["mean"], 4.0);
  EXPECT_GE(v["observations"].get<uint64_t>(), 2000u);
}

TEST_F(SimMgr, SteadyStateRunDeletesTheTransientAndReportsTheBatchAnalysis) {
  // Two simulators, each an AR(1) around 10 with phi 0.3 that starts at 10,000: its first
  // values (excess 10,000 * 0.3 / 0.7 = 4,286 in all) sit far above the rest and must be
  // deleted, or the mean of a thousand values would be off by several units. Every output
  // carries the batch columns.
  const RunOutput r = Run({"--jobs", "2", "--min-obs", "500", "--precision", "0.01", "--report-size", "100",
                           "--quiet", "--csv", dir / "result.csv"},
                          {"-t", "0", "-V", "ar1:10:0.3:10000", "-F", "slow=5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.doc["experiments"][0]["stop_reason"], "precision reached");
  const json& v = OnlyVariable(r);
  const json& b = v["batch_means"];
  ASSERT_TRUE(b.is_object()) << v.dump();
  EXPECT_GE(b["deleted_batches"].get<int>(), 2 * 5);  // at least the first group of each
  EXPECT_LE(b["deleted_batches"].get<int>(), 2 * 50);
  EXPECT_TRUE(b["independence_passed"].get<bool>());
  EXPECT_GE(b["effective_batches"].get<int>(), 40);
  EXPECT_LE(b["merge_factor"].get<int>(), 32);
  EXPECT_TRUE(v["reached"].get<bool>());
  EXPECT_EQ(v["note"], "reached");
  EXPECT_NEAR(v["mean"].get<double>(), 10.0, 0.1);
  EXPECT_LE(v["relative_half_width"].get<double>(), 0.01);
  EXPECT_NE(r.out.find("deleted  merge  batches   lag-1  indep."), std::string::npos) << r.out;
  const std::string csv = ReadFile(dir / "result.csv");
  EXPECT_NE(
      csv.find(",deleted_batches,merge_factor,effective_batches,lag1_autocorrelation,independence_passed,"),
      std::string::npos);
  EXPECT_NE(csv.find(",yes,0,reached,"), std::string::npos) << csv;
}

TEST_F(SimMgr, ALimitReachedWithAnUnreliableVariableSaysWhichOneEverywhereAndFails) {
  // pv0 is independent normal noise and reaches its precision; pv1, phi 0.995, stays correlated
  // at 0.9 even merged by 16, and 400 values leave too few batches to merge further. Its
  // interval is narrow enough for --precision 0.5 but must not count as reached: the stop
  // reason names it in the table, the CSV and the JSON alike, and the results are incomplete.
  const RunOutput r =
      Run({"--jobs", "1", "--max-obs", "400", "--precision", "0.5", "--quiet", "--csv", dir / "r.csv"},
          {"-t", "0", "-V", "normal:10:1,ar1:10:0.995:10", "-F", "slow=20"});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  const std::string reason = "max-obs reached; pv1 unreliable: batches correlated";
  const json& e = r.doc["experiments"][0];
  EXPECT_EQ(e["stop_reason"], reason);
  ASSERT_EQ(e["variables"].size(), 2u);
  EXPECT_TRUE(e["variables"][0]["reached"].get<bool>());
  const json& v = e["variables"][1];
  EXPECT_FALSE(v["reached"].get<bool>());
  EXPECT_FALSE(v["batch_means"]["independence_passed"].get<bool>());
  EXPECT_GT(v["batch_means"]["lag1_autocorrelation"].get<double>(), 0.5);
  EXPECT_EQ(v["note"], "unreliable: batches correlated");
  EXPECT_NE(r.out.find("Experiment 0: " + reason + " after"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("warning: pv1 is UNRELIABLE: its batch means still fail the independence test"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("no, unreliable: batches correlated"), std::string::npos) << r.out;
  const std::string csv = ReadFile(dir / "r.csv");
  EXPECT_NE(csv.find("\n0,0,pv0,steady_state,400,"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",yes," + reason + ","), std::string::npos) << csv;
  EXPECT_NE(csv.find(",no," + reason + ","), std::string::npos) << csv;
}

TEST_F(SimMgr, AModelWithBothKindsRunsAPhaseOfEachWithSeedsOfTheirOwn) {
  std::ofstream(dir / "model.pv") << "Version:1\nNumPV:2\nName:served\nType:1\nNumTimes:1\nStart:0\n"
                                     "Stop:100\nName:queue\nType:3\nNumTimes:1\nStart:0\nStop:10\n";
  std::ofstream(dir / "model.pvkind") << "0 served terminating\n1 queue steady_state\n";
  const std::vector<std::string> common{
      "--jobs", "2", "--min-obs", "200", "--quiet", "--pv-file", dir / "model.pv", "--csv", dir / "both.csv"};
  const RunOutput r = Run(common, {"-V", "4,normal:3:1"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  const json& e = r.doc["experiments"][0];
  EXPECT_EQ(r.doc["context"]["run_kind"], "mixed");
  ASSERT_EQ(e["phases"].size(), 2u);
  EXPECT_EQ(e["phases"][0]["kind"], "terminating");
  EXPECT_EQ(e["phases"][1]["kind"], "steady_state");
  ASSERT_EQ(e["variables"].size(), 2u);
  EXPECT_EQ(e["variables"][0]["kind"], "terminating");
  EXPECT_EQ(e["variables"][0]["mean"], 4.0);
  EXPECT_EQ(e["variables"][1]["kind"], "steady_state");
  EXPECT_TRUE(e["variables"][1]["batch_means"].is_object());
  EXPECT_EQ(e["stop_reason"], "terminating: precision reached; steady state: precision reached");
  ASSERT_EQ(e["processes"].size(), 4u);
  std::set<uint32_t> seeds;
  for (int p = 0; p < 4; ++p) {
    const json& proc = e["processes"][p];
    seeds.insert(proc["seed"].get<uint32_t>());
    const bool steady = p >= 2;
    EXPECT_EQ(proc["kind"], steady ? "steady_state" : "terminating");
    const std::string cmd = proc["command"];
    EXPECT_EQ(cmd.size() >= 4 && cmd.compare(cmd.size() - 4, 4, "-t 0") == 0, steady) << cmd;
  }
  EXPECT_EQ(seeds.size(), 4u);
  const std::string csv = ReadFile(dir / "both.csv");
  EXPECT_NE(csv.find("\n0,0,served,terminating,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\n0,1,queue,steady_state,"), std::string::npos) << csv;
  EXPECT_NE(r.out.find("processes (steady state):"), std::string::npos) << r.out;

  // A run of one kind keeps the seeds a terminating run has always had: the first phase's.
  const RunOutput one = Run(common, {"-V", "4,normal:3:1", "-t", "1"});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  for (int p = 0; p < 2; ++p)
    EXPECT_EQ(one.doc["experiments"][0]["processes"][p]["seed"], e["processes"][p]["seed"]);
}

TEST_F(SimMgr, AKindTheModelLacksIsRefusedBeforeAnythingStarts) {
  std::ofstream(dir / "model.pv")
      << "Version:1\nNumPV:1\nName:served\nType:1\nNumTimes:1\nStart:0\nStop:100\n";
  std::ofstream(dir / "model.pvkind") << "0 served terminating\n";
  const RunOutput r =
      Run({"--jobs", "1", "--pv-file", dir / "model.pv"}, {"-V", "4", "-t", "0", "-D", dir.path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "simmgr: the model has no steady-state variable, so a run with -t 0 observes nothing; its "
            "variables are "
            "terminating (served): give -t 1, or leave -t out to run every kind the model has\n");
  EXPECT_FALSE(std::ifstream(dir / "obs.0.0").good());  // no simulator was started
}

TEST_F(SimMgr, CommandLineAndDescriptionErrorsStartNothingAndLeaveNoFile) {
  struct Case {
    std::vector<std::string> manager, simulator;
    std::string said;
  };
  for (const Case& c : std::vector<Case>{
           {{"--confidence", "0.9999999999999999"}, {}, "bad value '0.9999999999999999' for --confidence"},
           // Names need the study file, which the fake simulator has not.
           {{"--experiments", "0,lambda=0.5"}, {}, "names need the study file"},
           // A description that never ends is refused after a bounded read.
           {{"--pv-file", "/dev/zero"}, {}, "/dev/zero is larger than"},
           {{"--from-files", "/dev/zero"}, {}, "/dev/zero is not a result file"}}) {
    SCOPED_TRACE(c.said);
    const std::string csv = dir / "result.csv";
    std::vector<std::string> manager{"--csv", csv};
    manager.insert(manager.end(), c.manager.begin(), c.manager.end());
    const RunOutput r = Run(manager, {"-V", "4", "-D", dir.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_FALSE(std::ifstream(csv).good());
    EXPECT_FALSE(std::ifstream(dir / "result.json").good());
    EXPECT_FALSE(std::ifstream(dir / "obs.0.0").good());  // no simulator ran
  }
}

TEST_F(SimMgr, AManagerKilledBeforeItWritesLeavesNoEmptyResultFiles) {
  const std::string csv = dir / "killed.csv";
  {
    const auto manager =
        Start({"--jobs", "1", "--precision", "0", "--progress-interval", "0.1", "--csv", csv},
              {"-V", "normal:3:1", "-F", "slow=10"});
    for (int i = 0; i < 100 && manager->ErrSoFar().find("n=") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::ifstream(csv).good()) << "the start-up check left a file";
  }  // the manager is killed here, before it wrote anything
  EXPECT_FALSE(std::ifstream(csv).good());
  EXPECT_FALSE(std::ifstream(dir / "result.json").good());
}

TEST_F(SimMgr, SimulatorsOfOneRunWriteResultFilesOfTheirOwn) {
  const RunOutput r = Run({"--jobs", "2", "--experiments", "0,1", "--min-obs", "100", "--quiet"},
                          {"-V", "4", "-b", dir / "run.bin", "-a" + dir / "run-{client}.csv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::set<std::string> commands;
  for (int e = 0; e < 2; ++e)
    for (int c = 0; c < 2; ++c) {
      const std::string cmd = r.doc["experiments"][e]["processes"][c]["command"];
      const std::string tag = ".e" + std::to_string(e) + ".c" + std::to_string(c);
      EXPECT_NE(cmd.find(" -b " + dir / "run" + tag + ".bin"), std::string::npos) << cmd;
      EXPECT_NE(cmd.find(" -a" + dir / "run-" + std::to_string(c) + ".csv"), std::string::npos) << cmd;
    }
  // The options as given are what the table shows as the simulator's command.
  EXPECT_NE(r.out.find("-b " + dir / "run.bin"), std::string::npos) << r.out;
}
