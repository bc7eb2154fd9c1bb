// What the build writes beside a simulator: the rows of observations named so that a variable
// with several time points gives distinct rows, in the same words the manager derives from the
// reward model's own description file; and the study's globals and experiments.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "PVDescription.h"
#include "Study/BaseStudyClass.h"
#include "StudyDescription.h"
#include "StudyFile.h"
#include "ToyModels.h"

namespace {

NodeDef Def(const char* name, RewardType reward, std::vector<double> starts, std::vector<double> stops) {
  NodeDef s;
  s.Name = name;
  s.Reward = reward;
  s.Starts = std::move(starts);
  s.Stops = std::move(stops);
  s.Impulses = {{"add", "Toy"}};
  return s;
}

// Two globals of two types and two experiments, as a generated study would define them.
double gRate = 0.0;
int gServers = 0;

class TwoExperimentStudy : public BaseStudyClass {
 public:
  TwoExperimentStudy() {
    NumGVs = 2;
    NumExps = 2;
    GVNames = new char* [2] { strdup("rate"), strdup("servers") };
    GVTypes = new char* [2] { strdup("double"), strdup("int") };
  }
  void SetGVs(int e) override {
    gRate = e == 0 ? 0.1 : 2.5;
    gServers = e == 0 ? 3 : -4;
  }
  void* GetGVValue(char* name) override {
    return std::string(name) == "rate" ? static_cast<void*>(&gRate) : static_cast<void*>(&gServers);
  }
};

}  // namespace

TEST(StudyDescription, RowsOfSeveralTimePointsAreNamedAfterTheirPointInBothFiles) {
  ToyPVModel pv(new ToyModel("Toy", 0),
                {Def("unreliability", INSTANT_OF_TIME, {0.5, 1.0, 2.0}, {0.5, 1.0, 2.0}),
                 Def("served", INTERVAL_OF_TIME, {0.0, 10.0}, {10.0, 20.0}),
                 Def("once", INTERVAL_OF_TIME, {0.0}, {5.0})});
  std::ostringstream kinds;
  StudyDescription::WriteKinds(pv, kinds);
  EXPECT_EQ(kinds.str(),
            "0 unreliability@0.5 terminating\n1 unreliability@1 terminating\n2 unreliability@2 terminating\n"
            "3 served@0-10 terminating\n4 served@10-20 terminating\n5 once terminating\n");

  // The manager reads the reward model's own file and must arrive at the same names.
  const std::string path = testing::TempDir() + "/rows.pv";
  ASSERT_TRUE(pv.WritePVTypeFile(path.c_str()));
  simmgr::PVDescription d;
  std::string error;
  ASSERT_TRUE(d.LoadTypeFile(path, error)) << error;
  std::remove(path.c_str());
  std::istringstream lines(kinds.str());
  int index = 0;
  std::string name, kind;
  while (lines >> index >> name >> kind) EXPECT_EQ(d.Name(index), name);
  EXPECT_EQ(d.Find(4)->start, "10");
  EXPECT_EQ(d.Find(4)->stop, "20");
}

TEST(StudyDescription, GlobalsWithTheirLettersAndEveryExperimentsValues) {
  TwoExperimentStudy study;
  std::ostringstream out;
  StudyDescription::WriteStudy(study, out);
  EXPECT_EQ(out.str(),
            "global\trate\tdouble\td\nglobal\tservers\tint\ti\n"
            "experiment\t0\tExperiment 1\trate=0.1\tservers=3\n"
            "experiment\t1\tExperiment 2\trate=2.5\tservers=-4\n");
  for (const char* t : {"bool", "char", "double", "float", "int", "long", "short"})
    EXPECT_EQ(StudyDescription::OverrideLetter(t), t[0]);
  EXPECT_EQ(StudyDescription::OverrideLetter("vector"), '?');

  // The manager reads it back; a line of a kind it does not know is left for newer readers.
  simmgr::StudyFile listing;
  std::string error;
  ASSERT_TRUE(listing.ParseText(out.str(), error)) << error;
  ASSERT_EQ(listing.Experiments().size(), 2u);
  EXPECT_EQ(listing.Experiments()[1].values[1], std::make_pair(std::string("servers"), std::string("-4")));
  EXPECT_EQ(listing.Globals()[0].letter, "d");
  EXPECT_FALSE(simmgr::StudyFile().ParseText("experiment\t0\tE\trate:1\n", error));
  EXPECT_TRUE(simmgr::StudyFile().ParseText("parameter\tx\n", error));
}

// A study generated from a description: the description's digest comes first, and each experiment
// has the description's name for it instead of "Experiment N".
TEST(StudyDescription, AGeneratedStudyStartsWithItsDigestAndNamesItsExperiments) {
  TwoExperimentStudy study;
  const char* const names[] = {"slow", "rate=2.5,servers=-4"};
  const std::string digest(64, 'e');
  std::ostringstream out;
  StudyDescription::WriteStudy(study, out, names, digest.c_str());
  EXPECT_EQ(out.str(), "description_sha256\t" + digest +
                           "\nglobal\trate\tdouble\td\nglobal\tservers\tint\ti\n"
                           "experiment\t0\tslow\trate=0.1\tservers=3\n"
                           "experiment\t1\trate=2.5,servers=-4\trate=2.5\tservers=-4\n");
}
