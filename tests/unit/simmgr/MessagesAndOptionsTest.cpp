// The simulators' standard error folded into distinct lines, and the manager's messages about
// its own limits.
#include <gtest/gtest.h>

#include <cstring>

#include "FromFiles.h"
#include "Options.h"
#include "SimulatorMessages.h"

using namespace simmgr;

namespace {

void Feed(SimulatorMessages& m, int client, const char* text) { m.Feed(client, text, std::strlen(text)); }

bool Parse(std::vector<const char*> words, Options& o, std::string& error) {
  words.insert(words.begin(), "simmgr");
  return ParseOptions(static_cast<int>(words.size()), words.data(), o, error);
}

}  // namespace

TEST(SimulatorMessages, EachDistinctLineOnceWithTheClientsThatPrintedIt) {
  SimulatorMessages m;
  // Lines arrive in pieces, from two clients at once; client 1's last line has no line feed.
  Feed(m, 0, "Warning: impulse action \"X\" does");
  Feed(m, 1, "Warning: impulse action \"X\" does not exist\nSIMULATOR::MAIN()-GOOD EXIT\nlast wor");
  Feed(m, 0, " not exist\r\n\n   \nWarning: impulse action \"X\" does not exist\n");
  Feed(m, 1, "ds");
  m.Finish(0);
  m.Finish(1);
  ASSERT_EQ(m.Lines().size(), 2u);
  EXPECT_EQ(m.Lines()[0].text, "Warning: impulse action \"X\" does not exist");
  EXPECT_EQ(m.Lines()[0].clients, (std::vector<int>{1, 0}));
  EXPECT_EQ(m.Lines()[1].text, "last words");
  EXPECT_EQ(SimulatorMessages::ClientsText(m.Lines()[0].clients), "clients 1,0");
  EXPECT_EQ(SimulatorMessages::ClientsText(m.Lines()[1].clients), "client 1");
}

TEST(SimulatorMessages, AFloodIsCutToTheLimitAndCounted) {
  SimulatorMessages m;
  for (size_t i = 0; i < SimulatorMessages::kMaxLines + 5; ++i)
    Feed(m, 0, ("line " + std::to_string(i) + "\n").c_str());
  EXPECT_EQ(m.Lines().size(), SimulatorMessages::kMaxLines);
  EXPECT_EQ(m.Dropped(), 5u);
  Feed(m, 0, std::string(3 * SimulatorMessages::kMaxLineBytes, 'x').c_str());
  m.Finish(0);
  EXPECT_EQ(m.Dropped(), 6u);
}

TEST(ManagerOptions, TheJobLimitIsInTheMessageAndInTheHelp) {
  Options o;
  std::string error;
  EXPECT_FALSE(Parse({"--jobs", "1000", "--", "sim"}, o, error));
  EXPECT_EQ(error, "bad value '1000' for --jobs: give 1 to 256");
  Options zero;
  EXPECT_FALSE(Parse({"--jobs", "0", "--", "sim"}, zero, error));
  EXPECT_NE(error.find("1 to 256"), std::string::npos);
  Options most;
  EXPECT_TRUE(Parse({"--jobs", "256", "--", "sim"}, most, error)) << error;
  EXPECT_EQ(most.jobs, 256);
  EXPECT_NE(UsageText().find("--jobs N              simulators at once per experiment, 1 to 256"),
            std::string::npos);
}

TEST(ManagerOptions, FromFilesTakesEveryWordUpToTheSimulator) {
  Options o;
  std::string error;
  ASSERT_TRUE(Parse({"--from-files", "a.bin", "b.bin", "--quiet", "--", "sim", "-t", "0"}, o, error))
      << error;
  EXPECT_EQ(o.fromFiles, (std::vector<std::string>{"a.bin", "b.bin"}));
  EXPECT_TRUE(o.quiet);
  EXPECT_FALSE(o.TerminatingRun());
  Options none;
  EXPECT_FALSE(Parse({"--from-files", "--", "sim"}, none, error));
  EXPECT_EQ(error, "option --from-files needs at least one file");
  Options list;
  ASSERT_TRUE(Parse({"--list", "--", "sim"}, list, error));
  EXPECT_TRUE(list.list);
}

TEST(ResultFileHeader, FieldsBetweenCommas) {
  const std::string h =
      "KAVRIN_SIM_BIN_FILE,256,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=2,SEED=31415,"
      "RANDOMGEN=Lagged Fibonacci,BATCHES=7,,";
  EXPECT_EQ(HeaderField(h, "EXPERIMENTS"), "2");
  EXPECT_EQ(HeaderField(h, "RANDOMGEN"), "Lagged Fibonacci");
  EXPECT_EQ(HeaderField(h, "BATCHES"), "7");
  EXPECT_EQ(HeaderField(h, "PORT"), "");
  EXPECT_EQ(HeaderField("#KAVRIN_SIM_ASCII_FILE,EXPERIMENTS=0,SEED=5\n", "SEED"), "5");
}

TEST(ManagerOptions, EachValueIsCheckedAgainstItsRangeEnds) {
  struct Case {
    std::vector<const char*> words;
    bool ok;
  };
  const std::string longest(400, 'd'), tooLong(401, 'd');
  // Open ends: a confidence is strictly between 0 and 1, a test level above 0 (0.5 allowed).
  for (const Case& c : std::vector<Case>{{{"--confidence", "0.999"}, true},
                                         {{"--confidence", "0"}, false},
                                         {{"--batch-test-level", "0.5"}, true},
                                         {{"--batch-test-level", "0.5000001"}, false},
                                         {{"--seed", "4294967295"}, true},
                                         {{"--seed", "4294967296"}, false},
                                         {{"--register-timeout", "0.001"}, true},
                                         {{"--register-timeout", "0.0009"}, false},
                                         {{"--max-obs", "0"}, true},
                                         {{"--min-obs", "0"}, false},
                                         {{"--precision", "nan"}, false},
                                         {{"--detach", longest.c_str()}, true},
                                         {{"--detach", tooLong.c_str()}, false},
                                         {{"--launch="}, false},
                                         {{"--hosts", "a,"}, true},
                                         {{"--hosts", "a,,b"}, false}}) {
    Options o;
    std::string error;
    std::vector<const char*> words = c.words;
    words.push_back("sim");
    EXPECT_EQ(Parse(words, o, error), c.ok) << c.words[0] << " " << (c.words.size() > 1 ? c.words[1] : "");
    if (!c.ok) {
      EXPECT_EQ(error.rfind("bad value '", 0), 0u) << error;
    }
  }
  Options o;
  std::string error;
  EXPECT_FALSE(Parse({"--csv"}, o, error));
  EXPECT_EQ(error, "option --csv needs a value");
  EXPECT_FALSE(Parse({"--bogus=1", "sim"}, o, error));
  EXPECT_EQ(error, "unknown option --bogus");
  // A value may look like an option; --max-obs below --min-obs lowers the minimum.
  Options csv;
  ASSERT_TRUE(Parse({"--csv", "--quiet", "--min-obs", "50", "--max-obs=20", "sim"}, csv, error)) << error;
  EXPECT_EQ(csv.csvFile, "--quiet");
  EXPECT_FALSE(csv.quiet);
  EXPECT_EQ(csv.minObs, 20u);
}
