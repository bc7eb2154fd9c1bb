#include <gtest/gtest.h>

#include <set>

#include "Launch.h"
#include "Options.h"
#include "PVDescription.h"

using namespace simmgr;

TEST(PVDescription, NamesAndKindsFromTheDescriptionFiles) {
  PVDescription d;
  std::string err;
  ASSERT_TRUE(
      d.ParseTypeText("Version:1\nNumPV:2\nName:token_game\nType:1\nNumTimes:1\nStart:0\nStop:1e+06\n"
                      "Name:busy\nType:3\nNumTimes:1\nStart:10\nStop:20\n",
                      err))
      << err;
  EXPECT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Name(0), "token_game");
  EXPECT_EQ(d.Name(1), "busy");
  EXPECT_EQ(d.Name(7), "pv7");
  EXPECT_TRUE(d.Considered(1, true));  // kinds unknown: everything counts
  ASSERT_TRUE(d.ParseKindText("0 token_game terminating\n1 busy steady_state\n", err)) << err;
  EXPECT_TRUE(d.Considered(0, true));
  EXPECT_FALSE(d.Considered(1, true));
  EXPECT_TRUE(d.Considered(1, false));
  EXPECT_FALSE(d.Considered(0, false));

  PVDescription bad;
  EXPECT_FALSE(bad.ParseTypeText("Version:1\nNumPV:2\nName:a\n", err));
  EXPECT_FALSE(bad.ParseTypeText("Version:2\nNumPV:0\n", err));
  EXPECT_FALSE(bad.ParseTypeText("hello\n", err));
  EXPECT_FALSE(bad.ParseKindText("0 a transient\n", err));
  EXPECT_FALSE(bad.ParseKindText("x a terminating\n", err));
  PVDescription none;
  EXPECT_FALSE(none.Known());
  EXPECT_EQ(none.Name(0), "pv0");
}

namespace {
bool Parse(std::vector<std::string> words, Options& o, std::string& err) {
  std::vector<const char*> argv{"simmgr"};
  for (const std::string& w : words) argv.push_back(w.c_str());
  return ParseOptions(static_cast<int>(argv.size()), argv.data(), o, err);
}
}  // namespace

TEST(Options, ParsesManagerAndPassesSimulatorOptionsThrough) {
  Options o;
  std::string err;
  ASSERT_TRUE(Parse({"--jobs", "4", "--seed=7", "--experiments", "0,2-3", "--min-obs", "10", "--", "sim",
                     "-t", "0", "-r2", "-O", "x"},
                    o, err))
      << err;
  EXPECT_EQ(o.jobs, 4);
  EXPECT_EQ(o.seed, 7u);
  EXPECT_EQ(o.experiments, (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(o.simulator, "sim");
  EXPECT_EQ(o.simulatorArgs, (std::vector<std::string>{"-t", "0", "-r2", "-O", "x"}));
  EXPECT_FALSE(o.TerminatingRun());
  EXPECT_EQ(o.GeneratorChoice(), 2);

  Options plain;
  ASSERT_TRUE(Parse({"sim"}, plain, err));
  EXPECT_TRUE(plain.TerminatingRun());
  EXPECT_EQ(plain.minBatches, 60u);
  EXPECT_EQ(plain.batchTestLevel, 0.1);

  Options batches;
  ASSERT_TRUE(Parse({"--min-batches", "25", "--batch-test-level=0.05", "sim"}, batches, err)) << err;
  EXPECT_EQ(batches.minBatches, 25u);
  EXPECT_EQ(batches.batchTestLevel, 0.05);

  for (auto bad : std::vector<std::vector<std::string>>{{"--jobs", "0", "sim"},
                                                        {"--confidence", "1", "sim"},
                                                        {"--experiments", "", "sim"},
                                                        {"--bogus", "sim"},
                                                        {"--jobs"},
                                                        {"--"},
                                                        {"--", "sim", "-s", "5"},
                                                        {"--", "sim", "-n100"},
                                                        {"--detach", "a;b", "sim"},
                                                        {"--min-batches", "2", "sim"},
                                                        {"--batch-test-level", "0", "sim"},
                                                        {"--batch-test-level", "0.6", "sim"}}) {
    Options x;
    EXPECT_FALSE(Parse(bad, x, err)) << bad[0];
  }
}

TEST(Launch, SeedsAreDistinctAndReproducible) {
  const std::vector<uint32_t> a = ProcessSeeds(31415, 500), b = ProcessSeeds(31415, 500);
  EXPECT_EQ(a, b);
  EXPECT_EQ(std::set<uint32_t>(a.begin(), a.end()).size(), a.size());
  for (uint32_t s : a) {
    EXPECT_GE(s, 1u);
    EXPECT_LE(s, 2147483645u);
  }
  EXPECT_NE(ProcessSeeds(1, 1), ProcessSeeds(2, 1));
}

TEST(Launch, CommandLinesAndTemplates) {
  Options o;
  o.simulator = "/bin/sim";
  o.reportSize = 50;
  o.simulatorArgs = {"-O", "a b"};
  const std::vector<std::string> cmd = SimulatorCommand(o, JobSpec{3, 1, 99, "127.0.0.1"});
  // Words are quoted for the system's command interpreter: the POSIX shell, or cmd.exe with the
  // C runtime's rules.
#ifdef _WIN32
  const std::string ab = "\"a b\"";
  EXPECT_EQ(ShellQuote("it's"), "\"it's\"");
  EXPECT_EQ(ShellQuote("C:\\sims\\mm1.exe"), "C:\\sims\\mm1.exe");
  EXPECT_EQ(ShellQuote("C:\\my sims\\"), "\"C:\\my sims\\\\\"");
  EXPECT_EQ(ShellQuote("a&b"), "\"a&b\"");
#else
  const std::string ab = "'a b'";
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
  EXPECT_EQ(ShellQuote("a&b"), "'a&b'");
#endif
  EXPECT_EQ(ShellJoin(cmd), "/bin/sim -w -p 0 -c 1 -e 3 -s 99 -n 50 -O " + ab);
  // A manager reaching the simulator from elsewhere needs it to listen beyond the loopback.
  EXPECT_EQ(ShellJoin(SimulatorCommand(o, JobSpec{3, 1, 99, "h"})),
            "env KAVRIN_LISTEN_ADDRESS=0.0.0.0 /bin/sim -w -p 0 -c 1 -e 3 -s 99 -n 50 -O " + ab);
  EXPECT_EQ(ShellJoin(SimulatorCommand(o, JobSpec{3, 1, 99, "192.0.2.2"})),
            "env KAVRIN_LISTEN_ADDRESS=192.0.2.2 /bin/sim -w -p 0 -c 1 -e 3 -s 99 -n 50 -O " + ab);
  EXPECT_EQ(ListenAddressFor("localhost"), "");
  EXPECT_EQ(ListenAddressFor("127.0.0.2"), "127.0.0.2");
  EXPECT_EQ(ListenAddressFor("10.1.2.3"), "10.1.2.3");
  EXPECT_EQ(ListenAddressFor("10.1.2.300"), "0.0.0.0");
  EXPECT_EQ(ListenAddressFor("node1.cluster"), "0.0.0.0");
  EXPECT_EQ(ExpandLaunchTemplate("ssh {host} {cmd}", {"/bin/sim", "-w"}, "node1"), "ssh node1 /bin/sim -w");
  EXPECT_EQ(ExpandLaunchTemplate("srun -N1", {"sim"}, "x"), "srun -N1 sim");

  int port = 0;
  EXPECT_TRUE(ParseRegisterLine("REGISTER:  Port: [40123]", port));
  EXPECT_EQ(port, 40123);
  EXPECT_FALSE(ParseRegisterLine("REGISTER:  Port: [0]", port));
  EXPECT_FALSE(ParseRegisterLine("REGISTER:  Port: [-25536]", port));
  EXPECT_FALSE(ParseRegisterLine("REGISTER: Port: [4000]", port));
  EXPECT_FALSE(ParseRegisterLine("REGISTER:  Port: [4000", port));

  EXPECT_EQ(DetachFileName("out/run.bin", 2, 5), "out/run.e2.c5.bin");
  EXPECT_EQ(DetachFileName("run", 0, 1), "run.e0.c1");
  EXPECT_EQ(DetachFileName("dir.x/run", 0, 1), "dir.x/run.e0.c1");
  EXPECT_EQ(DetachFileName("r{exp}_{client}.bin", 4, 3), "r4_3.bin");
}
