// The trace writers on a one-activity model: exact text lines per level, the process-wide
// Traceprintf stream, the container's bounded formatting, and an XML document that is
// well-formed and covers only the first replication.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "Trace/TraceFileContainer.h"
#include "Trace/TraceFileKavrin.h"
#include "Trace/TraceFileXML.h"
#include "support/TestProcess.h"
#include "tests/models/steptest/StepHarness.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string tempPath(const std::string& name) {
  return ::testing::TempDir() + "trace_" + std::to_string(testproc::ProcessId()) + "_" + name;
}

// xmllint's verdict; its messages are shown when it refuses the document.
bool wellFormed(const std::string& path) {
#ifdef _WIN32
  // No xmllint on Windows: there only the other checks of a document hold (its bytes are the
  // same as on Linux, where this check runs).
  (void)path;
  return true;
#endif
  const testproc::ProcessResult r = testproc::Run("xmllint", {"--noout", path});
  if (r.exitCode != 0) std::cerr << r.err;
  return r.exitCode == 0;
}

int count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) n++;
  return n;
}

// Sub.x starts at 0 and y at 5; Go (delay 0.25) sets Sub.x to 1 and is then disabled.
struct OneShotModel {
  OneShotModel(const char* activityName = "Go") {
    san = new StepTestSAN({{"x", 0}, {"y", 5}}, {{activityName, Deterministic}});
    san->place(0)->SetPrefix("Sub");
    StepTestActivity* go = san->activity(0);
    go->enabling = [s = san] { return s->mark(0) == 0; };
    go->delay = [] { return 0.25; };
    go->effect = [s = san] { s->mark(0) = 1; };
    san->affects(0, 0);
    san->reads(0, 0);
    pv = new StepTestPV(san);
  }
  ~OneShotModel() { delete pv; }
  std::string id() const { return std::to_string(san->getId()); }

  StepTestSAN* san;
  StepTestPV* pv;
};

// Builds the container and one text writer at the given level and runs one replication. The
// model's id in the text is written as "ID".
std::string textTrace(int level) {
  OneShotModel m;
  StepHarness h(m.pv);
  std::ostringstream out;
  TraceFileKavrin writer(&out);
  TraceFileContainer* trace = h.sim.trace;
  trace->setTraceLevel(level);
  writer.setTraceLevel(level);
  trace->AddTraceFile(&writer);
  trace->addPVModel(m.pv);
  trace->printHeader();
  h.sim.GenerateInitialEnabledList();
  trace->newBatch();
  if (trace->getTraceLevel() > 0) trace->printInitialState();
  EXPECT_TRUE(h.startReplication());
  EXPECT_FALSE(h.sim.SimStep(EventAtInfinity::IsNext));
  if (trace->getTraceLevel() > 2) trace->printState();
  trace->newBatch();
  trout = &std::cout;
  std::string text = out.str();
  const std::string tag = "(" + m.id() + ")";
  for (size_t at = text.find(tag); at != std::string::npos; at = text.find(tag))
    text.replace(at, tag.size(), "(ID)");
  return text;
}

const char* const kHeader =
    "**************************************\n"
    "\t\tTRACE\n"
    "**************************************\n";

}  // namespace

TEST(TextTrace, LevelZeroHoldsOnlyTheHeaderAndBatchMarkers) {
  EXPECT_EQ(textTrace(0), std::string(kHeader) + "##### NEW BATCH #####\n##### NEW BATCH #####\n");
}

TEST(TextTrace, LevelsAddFiringsThenVariablesThenFullStates) {
  const std::string model = "  Model: (ID)StepTestSAN\n";
  const std::string initial = "Initial Model State:\n" + model + "    Sub.x = 0\n    y = 5\n";
  const std::string firing = "#### Firing: 0.25  Action: (ID)StepTestSAN->Go\n";
  const std::string after = "#### After: (ID)Go->Go\n";
  const std::string batch = "##### NEW BATCH #####\n";

  // Level 1: exactly two lines per firing.
  EXPECT_EQ(textTrace(1), kHeader + batch + initial + firing + after + batch);
  const std::string level2 = kHeader + batch + initial +
                             "Enabling state before action firing:\n  Sub.x = 0\n" + firing + after +
                             "Affected state after firing: \n  Sub.x = 1\n";
  EXPECT_EQ(textTrace(2), level2 + batch);
  EXPECT_EQ(textTrace(3), level2 + "Model State:\n" + model + "    Sub.x = 1\n    y = 5\n" + batch);
}

TEST(Traceprintf, LevelZeroReachesStandardOutputOnceWithoutATextTrace) {
  trout = &std::cout;
  TraceLevel = 1;
  ::testing::internal::CaptureStdout();
  Traceprintf(0, "count %lld\n", 1LL << 40);
  Traceprintf(2, "too detailed\n");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "count 1099511627776\n");
}

TEST(Traceprintf, LevelZeroGoesToTheTraceFileAndIsEchoed) {
  const std::string path = tempPath("echo.txt");
  {
    TraceFileKavrin writer(path.c_str());
    writer.setTraceLevel(1);
    ::testing::internal::CaptureStdout();
    Traceprintf(0, "absorbed\n");
    Traceprintf(1, "only in the file\n");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "absorbed\n");
  }
  EXPECT_EQ(trout, &std::cout);  // a writer that is gone no longer holds the stream
  EXPECT_EQ(readFile(path), "absorbed\nonly in the file\n");
  std::remove(path.c_str());
}

namespace {
struct RecordingWriter : TraceFile {
  void printStr(int level, char* text) override { seen.push_back({level, text}); }
  std::vector<std::pair<int, std::string> > seen;
};
}  // namespace

TEST(TraceContainer, FormatsBoundedTextForEveryWriterInOrder) {
  TraceFileContainer container;
  RecordingWriter first, second;
  container.AddTraceFile(&first);
  container.AddTraceFile(&second);
  container.printf(2, "%s-%d", "value", 7);
  container.printf(0, "%s", std::string(1500, 'a').c_str());
  ASSERT_EQ(first.seen.size(), 2u);
  EXPECT_EQ(first.seen[0], std::make_pair(2, std::string("value-7")));
  EXPECT_EQ(first.seen[1].second.size(), 999u);
  EXPECT_EQ(second.seen, first.seen);
}

TEST(TraceFileDeathTest, UnopenableFileIsAFatalUserError) {
  EXPECT_EXIT(TraceFileKavrin("/nonexistent-dir/t.txt"), ::testing::ExitedWithCode(1),
              "/nonexistent-dir/t.txt.*No such file or directory");
  EXPECT_EXIT(TraceFileXML("/nonexistent-dir/t.xml"), ::testing::ExitedWithCode(1), "/nonexistent-dir/t.xml");
}

namespace {
// An XML trace of replications of the one-shot model; without boundaries the run ends as one
// stopped before its first batch boundary, and only the footer can close the document.
std::string xmlTrace(const std::string& path, int replications, const char* activityName = "Go",
                     bool boundaries = true) {
  OneShotModel m(activityName);
  StepHarness h(m.pv);
  {
    TraceFileXML writer(path.c_str());
    h.sim.trace->setTraceLevel(1);
    writer.setTraceLevel(1);
    h.sim.trace->AddTraceFile(&writer);
    h.sim.trace->addPVModel(m.pv);
    h.sim.trace->printHeader();
    TraceFileContainer* trace = h.sim.trace;
    h.sim.GenerateInitialEnabledList();
    trace->newBatch();
    for (int r = 0; r < replications; r++) {
      m.san->mark(0) = 0;
      trace->printInitialState();
      if (h.startReplication())
        while (h.sim.SimStep(EventAtInfinity::IsNext)) {
        }
      if (boundaries) trace->newBatch();
    }
    trace->printFooter();
  }
  return readFile(path);
}
}  // namespace

TEST(XmlTrace, SeveralReplicationsGiveOneWellFormedDocumentOfTheFirst) {
  const std::string path = tempPath("reps.xml");
  std::string xml = xmlTrace(path, 3);
  EXPECT_TRUE(wellFormed(path)) << xml;
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<!DOCTYPE Trace\n  SYSTEM \"", 0), 0u);
  EXPECT_EQ(count(xml, "<S>"), 1);
  EXPECT_EQ(count(xml, "<A id="), 1);
  EXPECT_EQ(count(xml, "</Trace>"), 1);
  EXPECT_NE(xml.find("<Action id=\"a"), std::string::npos);
  EXPECT_NE(xml.find("\" name=\"Go\" />\n"), std::string::npos);
  EXPECT_NE(xml.find("<Interactions>\n</Interactions>\n<!-- process sequence -->\n"
                     "<Sequence type=\"StateActionType\">\n<S>\n"),
            std::string::npos);
  EXPECT_NE(xml.find("\" t=\"0.25\">\n"), std::string::npos);
  EXPECT_NE(xml.find("Sub.x\"  val=\"1\" />\n</A>\n</Sequence>\n</Trace>\n"), std::string::npos);
  std::remove(path.c_str());
}

TEST(XmlTrace, FooterClosesADocumentStillOpenAndNamesAreEscaped) {
  const std::string path = tempPath("open.xml");
  std::string xml = xmlTrace(path, 1, "A&B<\"C", false);
  EXPECT_TRUE(wellFormed(path)) << xml;
  EXPECT_NE(xml.find("name=\"A&amp;B&lt;&quot;C\""), std::string::npos);
  EXPECT_EQ(count(xml, "</Sequence>\n</Trace>\n"), 1);
  std::remove(path.c_str());
}
