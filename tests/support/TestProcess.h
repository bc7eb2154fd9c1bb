// Child processes, scratch directories and environment variables for tests, without any
// operating-system header: the tests run real executables (the simulators, the manager, the
// generator, a compiler) and read back what they printed, and a few run a piece of in-process
// code in a child of their own to see it end the process (POSIX systems only). TestProcess.cpp
// implements it over the platform layer (BaseClasses/KavrinProcess.h).
//
//   testproc::ScratchDir dir;                        // removed at the end of the scope
//   testproc::ProcessOptions how;
//   how.workDir = dir.path();
//   how.env = {{"SIMTEST", "1"}};
//   testproc::ProcessResult r = testproc::Run(SIMULATOR, {"-N", "3"}, how);
//   EXPECT_EQ(r.exitCode, 0) << r.err;
//
// A program that does not run (no such file, not executable) gives exit code 127 and a line on
// the standard error of the result, as a shell would.
#ifndef KAVRIN_TESTS_SUPPORT_TESTPROCESS_H
#define KAVRIN_TESTS_SUPPORT_TESTPROCESS_H

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testproc {

struct ProcessOptions {
  // Changes to the child's environment: a value sets the variable, no value removes it.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  std::string workDir;           // empty: the test's own working directory
  std::string stdinText;         // what the child reads on standard input (then end of file)
  double timeoutSeconds = 60;    // then the child is killed and the test fails
  bool mergeErrIntoOut = false;  // standard error into `out`, interleaved as a shell's 2>&1 would
};

struct ProcessResult {
  int exitCode = -1;  // the child's exit code; -1 when it did not exit on its own
  int signal = 0;     // the signal that ended it (POSIX), else 0
  bool timedOut = false;
  std::string out, err;
  // exitCode, or 128 + signal for a child ended by a signal, as a shell reports it.
  int shellStatus() const { return signal != 0 ? 128 + signal : exitCode; }
};

// A started child. Its output goes to files of its own until Wait reads them back; ending the
// Process object without Wait kills the child.
class Process {
 public:
  // `program` is a path, or a bare name looked up on PATH.
  Process(const std::string& program, const std::vector<std::string>& args,
          const ProcessOptions& options = {});
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Waits for the end (up to the timeout of the options) and collects the output.
  ProcessResult Wait();
  // What the child has written to standard error so far (it may still be running).
  std::string ErrSoFar() const;
  // Asks the child to stop as a terminal would: an interrupt (Ctrl-C) or a hang-up.
  void Interrupt();
  void Hangup();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Runs a program to its end.
ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                  const ProcessOptions& options = {});

// Runs `body` in a child copy of this process (no new program): for code that ends the process
// (an exit, an abort, an internal check). The child exits with body's return value; what it
// printed is captured. Only where a test cannot use the test framework's own death tests.
ProcessResult RunInChild(const std::function<int()>& body, double timeoutSeconds = 60);

// A fresh, empty directory, removed with everything in it when the object ends (kept when the
// current test failed, to look at).
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix = "kavrin_test");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets (a value) or removes (no value) an environment variable of this process for one scope,
// and puts back what was there before.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// This process's environment, for tests that change it on purpose.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// The whole file (binary); empty when it cannot be read.
std::string ReadFile(const std::string& path);

// The identifier of this process (unique among running processes, for names of shared files).
long ProcessId();

// Error numbers the platform's messages show ("errno=9"), as the system numbers them.
extern const int kErrBadDescriptor;  // EBADF
extern const int kErrConnRefused;    // ECONNREFUSED

}  // namespace testproc

#endif
