// The child-process helper every system test relies on: what a child receives (arguments,
// environment, directory, standard input) and what comes back (output, exit code, signal,
// timeout), checked with the shell's own commands.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "support/TestProcess.h"

namespace {

using testproc::ProcessOptions;
using testproc::ProcessResult;

TEST(TestProcess, ArgumentsReachTheChildUnsplitAndBothStreamsComeBackApart) {
  const ProcessResult r =
      testproc::Run("sh", {"-c", "printf '%s|' \"$@\"; printf 'oops' >&2; exit 3", "sh", "a b", "", "'c'"});
  EXPECT_EQ(r.out, "a b||'c'|");
  EXPECT_EQ(r.err, "oops");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.signal, 0);
  EXPECT_FALSE(r.timedOut);
}

TEST(TestProcess, EnvironmentChangesDirectoryAndStandardInputApplyToTheChildOnly) {
  testproc::ScratchDir dir("process_test");
  testproc::ScopedEnv kept("KAVRIN_TEST_KEPT", "parent");
  testproc::ScopedEnv removed("KAVRIN_TEST_REMOVED", "parent");
  ProcessOptions how;
  how.env = {{"KAVRIN_TEST_SET", "child"}, {"KAVRIN_TEST_REMOVED", std::nullopt}};
  how.workDir = dir.path();
  how.stdinText = "line one\nline two\n";
  const ProcessResult r =
      testproc::Run("sh",
                    {"-c",
                     "echo \"$KAVRIN_TEST_SET/$KAVRIN_TEST_KEPT/${KAVRIN_TEST_REMOVED-unset}\"; pwd; "
                     "wc -l; touch here"},
                    how);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string real = std::filesystem::canonical(dir.path()).string();
  EXPECT_EQ(r.out, "child/parent/unset\n" + real + "\n2\n");
  EXPECT_TRUE(std::filesystem::exists(dir / "here"));
  EXPECT_STREQ(std::getenv("KAVRIN_TEST_REMOVED"), "parent");
  EXPECT_EQ(std::getenv("KAVRIN_TEST_SET"), nullptr);
}

TEST(TestProcess, MergedStreamsKeepTheirOrder) {
  ProcessOptions how;
  how.mergeErrIntoOut = true;
  const ProcessResult r = testproc::Run("sh", {"-c", "echo 1; echo 2 >&2; echo 3"}, how);
  EXPECT_EQ(r.out, "1\n2\n3\n");
  EXPECT_EQ(r.err, "");
}

TEST(TestProcess, AProgramThatCannotRunExitsWith127) {
  const ProcessResult r = testproc::Run("/nonexistent/program", {});
  EXPECT_EQ(r.exitCode, 127);
  EXPECT_EQ(r.err, "cannot run /nonexistent/program\n");
}

TEST(TestProcess, AChildPastItsTimeoutIsKilledAndFailsTheTest) {
  ProcessOptions how;
  how.timeoutSeconds = 0.2;
  ProcessResult r;
  EXPECT_NONFATAL_FAILURE(r = testproc::Run("sleep", {"30"}, how), "did not end within 0.2 s");
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_NE(r.signal, 0);
}

TEST(TestProcess, AnInterruptedChildEndsByTheSignalUnlessItHandlesIt) {
  testproc::Process plain("sleep", {"30"});
  plain.Interrupt();
  const ProcessResult r = plain.Wait();
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_EQ(r.shellStatus(), 128 + r.signal);
  EXPECT_NE(r.signal, 0);

  // A child that handles the interrupt and says so on standard error, read while it runs.
  testproc::Process handler("sh", {"-c",
                                   "trap 'echo caught >&2; exit 5' INT; echo ready >&2; "
                                   "while :; do sleep 0.05; done"});
  for (int i = 0; i < 200 && handler.ErrSoFar() != "ready\n"; ++i) testproc::Run("sleep", {"0.01"});
  ASSERT_EQ(handler.ErrSoFar(), "ready\n");
  handler.Interrupt();
  const ProcessResult h = handler.Wait();
  EXPECT_EQ(h.exitCode, 5);
  EXPECT_EQ(h.err, "ready\ncaught\n");
}

TEST(TestProcess, InProcessCodeRunsInAChildAndItsEndIsSeen) {
  const ProcessResult exited = testproc::RunInChild([] {
    std::cout << "from the child";
    std::fprintf(stderr, "to stderr");
    return 7;
  });
  EXPECT_EQ(exited.exitCode, 7);
  EXPECT_EQ(exited.out, "from the child");
  EXPECT_EQ(exited.err, "to stderr");

  const ProcessResult aborted = testproc::RunInChild([]() -> int { std::abort(); });
  EXPECT_EQ(aborted.exitCode, -1);
  EXPECT_NE(aborted.signal, 0);
}

TEST(TestProcess, AScratchDirectoryIsEmptyAndGoesAwayWithEverythingInIt) {
  std::string path;
  {
    testproc::ScratchDir dir("process_test");
    path = dir.path();
    ASSERT_TRUE(std::filesystem::is_directory(path));
    EXPECT_TRUE(std::filesystem::is_empty(path));
    std::filesystem::create_directories(dir / "a/b");
    std::ofstream(dir / "a/b/c") << "x";
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
