// The study file read back (experiments by name, their values after -O overrides, lists of
// experiments), the names each simulator's own files get, and the manager's file reading and
// writing limits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "Launch.h"
#include "Options.h"
#include "ResultFile.h"
#include "StudyFile.h"
#include "TextFiles.h"
#include "support/TestProcess.h"

using namespace simmgr;

namespace {

// Two globals of every kind of value the overrides read, and names a list has to cope with.
const char* const kStudy =
    "description_sha256\tab12\n"
    "global\tlambda\tdouble\td\n"
    "global\tservers\tint\ti\n"
    "global\tweight\tfloat\tf\n"
    "global\ton\tbool\tb\n"
    "global\tcode\tchar\tc\n"
    "future_kind\twhatever\n"
    "experiment\t0\tlambda=0.5\tlambda=0.5\tservers=1\tweight=0.5\ton=0\tcode=65\n"
    "experiment\t1\trho \"high\", fast\tlambda=0.9\tservers=2\tweight=0.5\ton=0\tcode=65\r\n"
    "experiment\t2\tlast\tlambda=1\tservers=3\tweight=0.5\ton=0\tcode=65\n";

StudyFile Parsed() {
  StudyFile s;
  std::string error;
  EXPECT_TRUE(s.ParseText(kStudy, error)) << error;
  return s;
}

std::string Value(const StudyFile& s, int experiment, const std::string& global) {
  for (const auto& kv : s.Find(experiment)->values)
    if (kv.first == global) return kv.second;
  return "(none)";
}

std::vector<int> Select(const StudyFile& s, const std::string& list, std::string* error = nullptr) {
  std::vector<int> out;
  std::string why;
  if (!s.Select(list, out, why)) {
    if (error) *error = why;
    return {-1};
  }
  return out;
}

}  // namespace

TEST(StudyFile, NamesValuesAndTheDescriptionHash) {
  const StudyFile s = Parsed();
  EXPECT_EQ(s.DescriptionHash(), "ab12");
  ASSERT_EQ(s.Experiments().size(), 3u);
  EXPECT_EQ(s.NameOf(1), "rho \"high\", fast");  // CRLF line: the name keeps no '\r'
  EXPECT_EQ(s.NameOf(0), "lambda=0.5");
  EXPECT_EQ(Value(s, 2, "lambda"), "1");
  EXPECT_EQ(s.Globals()[1].letter, "i");
  // Without a study file the names are the simulator's own default, counted from 1.
  EXPECT_EQ(StudyFile().NameOf(0), "Experiment 1");
  std::string error;
  EXPECT_FALSE(StudyFile().ParseText("experiment\tx\tE\n", error));
  EXPECT_FALSE(StudyFile().ParseText("global\tlambda\tdouble\n", error));
}

// A composed model's study file says what each row reads; a malformed line is refused, and
// a row without one (every row of an atomic model) has no scope.
TEST(StudyFile, RewardScopesOfAComposedModel) {
  StudyFile s;
  std::string error;
  ASSERT_TRUE(
      s.ParseText("experiment\t0\tE\nreward\t0\tup\tServer\taverage\t12000\n"
                  "reward\t2\tfirst\tFarm.Server[0]\tinstance\t1\n",
                  error))
      << error;
  ASSERT_NE(s.ScopeOf(0), nullptr);
  EXPECT_EQ(s.ScopeOf(0)->over, "Server");
  EXPECT_EQ(s.ScopeOf(0)->how, "average");
  EXPECT_EQ(s.ScopeOf(0)->count, 12000);
  EXPECT_EQ(s.ScopeOf(1), nullptr);
  EXPECT_EQ(s.ScopeOf(2)->over, "Farm.Server[0]");
  EXPECT_EQ(Parsed().ScopeOf(0), nullptr);
  for (const char* bad : {"reward\t0\tup\tServer\tmedian\t2\n", "reward\t0\tup\tServer\tsum\n",
                          "reward\tx\tup\tServer\tsum\t2\n", "reward\t0\tup\tServer\tsum\t-2\n"})
    EXPECT_FALSE(StudyFile().ParseText(bad, error)) << bad;
}

TEST(StudyFile, OverridesGiveTheValuesTheSimulatorReads) {
  StudyFile s = Parsed();
  // Written as the study file writes values: shortest double text, a float widened to double,
  // integers clamped to their type, a bool as 0/1, a char as its code. A wrong letter, an
  // unreadable value or an unknown name leaves a value alone; runs of ':' are one separator.
  s.ApplyOverrides(
      "d:lambda:2.50::i:servers:0x10:f:weight:0.1:b:on:7:c:code:z:i:lambda:3:d:servers:4:"
      "i:nosuch:1");
  for (int e = 0; e < 3; ++e) {
    EXPECT_EQ(Value(s, e, "lambda"), "2.5");
    EXPECT_EQ(Value(s, e, "servers"), "16");
    EXPECT_EQ(Value(s, e, "weight"), "0.10000000149011612");
    EXPECT_EQ(Value(s, e, "on"), "1");
    EXPECT_EQ(Value(s, e, "code"), "122");
  }
  StudyFile t = Parsed();
  t.ApplyOverrides("i:servers:99999999999:d:lambda:abc:d:lambda");  // clamped; unreadable; incomplete
  EXPECT_EQ(Value(t, 0, "servers"), "2147483647");
  EXPECT_EQ(Value(t, 0, "lambda"), "0.5");
}

TEST(StudyFile, ExperimentListsByIndexRangeNameOrAll) {
  const StudyFile s = Parsed();
  EXPECT_EQ(Select(s, "2,0-1"), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(Select(s, "all"), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Select(s, "lambda=0.5,last"), (std::vector<int>{0, 2}));
  // A name holding a comma is found across the items it spans.
  EXPECT_EQ(Select(s, "last,rho \"high\", fast"), (std::vector<int>{2, 1}));
  std::string error;
  EXPECT_EQ(Select(s, "0-5", &error), std::vector<int>{-1});
  EXPECT_EQ(error, "the study has no experiment 3; it has 0 (lambda=0.5), 1 (rho \"high\", fast), 2 (last)");
  EXPECT_EQ(Select(s, "rho_0.9", &error), std::vector<int>{-1});
  EXPECT_EQ(error.rfind("the study has no experiment 'rho_0.9'; it has 0 (", 0), 0u) << error;
  EXPECT_EQ(Select(s, "0,lambda=0.5", &error), std::vector<int>{-1});
  EXPECT_EQ(error.rfind("experiment 0 is given twice", 0), 0u) << error;
  EXPECT_EQ(Select(s, "2-1", &error), std::vector<int>{-1});

  // Without a study file: indices and ranges only, none checked against a list.
  const StudyFile none;
  EXPECT_EQ(Select(none, "0,4-6"), (std::vector<int>{0, 4, 5, 6}));
  EXPECT_EQ(Select(none, "all", &error), std::vector<int>{-1});
  EXPECT_EQ(Select(none, "1,1"), std::vector<int>{-1});
}

TEST(ManagerOptions, AConfidenceWhoseQuantileIsInfiniteIsRefused) {
  // (1 + c) / 2 rounds to 1 for c = 1 - 2^-53: the quantile is infinite; one more 9 short of
  // that it is about 6e14, large but a number.
  Options o;
  std::string error;
  const char* tooClose[] = {"simmgr", "--confidence", "0.9999999999999999", "--", "sim"};
  EXPECT_FALSE(ParseOptions(5, tooClose, o, error));
  EXPECT_EQ(error.rfind("bad value '0.9999999999999999' for --confidence", 0), 0u) << error;
  const char* close[] = {"simmgr", "--confidence", "0.999999999999999", "--", "sim"};
  EXPECT_TRUE(ParseOptions(5, close, o, error)) << error;
}

TEST(Launch, EachSimulatorOfARunGetsItsOwnResultAndTraceFiles) {
  Options o;
  o.simulator = "sim";
  o.simulatorArgs = {"-bout/run.bin", "-a", "run.csv", "-f", "t", "-t", "0", "-N", "-a"};
  o.jobs = 2;
  o.experiments = {3};
  const std::vector<std::string> cmd = SimulatorCommand(o, JobSpec{3, 1, 9, "127.0.0.1"});
  const std::vector<std::string> args(cmd.end() - 9, cmd.end());
  EXPECT_EQ(args, (std::vector<std::string>{"-bout/run.e3.c1.bin", "-a", "run.e3.c1.csv", "-f", "t.e3.c1",
                                            "-t", "0", "-N", "-a"}));
  // One simulator in the whole run keeps the names as given, unless they ask for the tags.
  o.jobs = 1;
  EXPECT_EQ(OwnFileName(o, "run.bin", 3, 0), "run.bin");
  EXPECT_EQ(OwnFileName(o, "run-{exp}-{client}.bin", 3, 0), "run-3-0.bin");
  o.experiments = {0, 1};
  EXPECT_EQ(OwnFileName(o, "run.bin", 1, 0), "run.e1.c0.bin");
}

TEST(TextFiles, ReadingStopsAtTheLimit) {
  testproc::ScratchDir dir("simmgr_files");
  std::ofstream(dir / "big") << std::string(1000, 'x');
  std::string text, error;
  EXPECT_TRUE(ReadFile(dir / "big", text, error, 1000));
  EXPECT_EQ(text.size(), 1000u);
  EXPECT_FALSE(ReadFile(dir / "big", text, error, 999));
  EXPECT_EQ(error, dir / "big" + " is larger than 999 bytes; not read");
  EXPECT_TRUE(ReadHead(dir / "big", 10, text, error));
  EXPECT_EQ(text, std::string(10, 'x'));
}

TEST(ResultFile, WrittenWholeOrNotAtAllAndTheProbeLeavesNothing) {
  testproc::ScratchDir dir("simmgr_files");
  const std::string path = dir / "result.json";
  std::string error;
  ASSERT_TRUE(ResultFile(path).Probe(error)) << error;
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  ASSERT_TRUE(ResultFile(path).Write([](std::ostream& o) { o << "first\n"; }, error)) << error;
  EXPECT_EQ(testproc::ReadFile(path), "first\n");
  // A write that fails half way (as on a full disk) keeps the previous file and no fragment.
  EXPECT_FALSE(ResultFile(path).Write(
      [](std::ostream& o) {
        o << "par";
        o.setstate(std::ios::badbit);
      },
      error));
  EXPECT_NE(error.find("the previous file is kept"), std::string::npos) << error;
  EXPECT_EQ(testproc::ReadFile(path), "first\n");
  EXPECT_FALSE(std::filesystem::exists(ResultFile(path).TemporaryName()));
  ASSERT_TRUE(ResultFile(path).Write([](std::ostream& o) { o << "second\n"; }, error)) << error;
  EXPECT_EQ(testproc::ReadFile(path), "second\n");

  EXPECT_FALSE(ResultFile(dir.path()).Probe(error));
  EXPECT_FALSE(ResultFile(dir / "no/such/folder/r.csv").Probe(error));
}
