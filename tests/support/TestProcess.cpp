// TestProcess over the platform layer's child processes: standard streams in files of a private
// scratch directory (no pipe can fill up while the test waits), a wait against a deadline.
#include "support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinProcess.h"
#include "BaseClasses/KavrinSystem.h"

namespace testproc {

const int kErrBadDescriptor = KavrinNet::kNotASocket;
const int kErrConnRefused = KavrinNet::kConnectionRefused;

namespace {

namespace fs = std::filesystem;

std::string MakeTempDir(const std::string& prefix) {
  const std::string dir = KavrinSystem::MakeTempDir(prefix);
  if (dir.empty()) ADD_FAILURE() << "cannot make a scratch directory for " << prefix;
  return dir;
}

KavrinProcess::Options FilesIn(const std::string& dir, bool mergeErr) {
  KavrinProcess::Options how;
  how.stdinFile = dir + "/stdin";
  how.stdoutFile = dir + "/stdout";
  how.stderrFile = dir + "/stderr";
  how.mergeErrIntoOut = mergeErr;
  return how;
}

ProcessResult Collect(KavrinProcess& child, const std::string& dir, double timeoutSeconds, bool mergeErr) {
  ProcessResult r;
  if (!child.Wait(timeoutSeconds)) {
    child.Send(KavrinProcess::Stop::Kill);
    child.Wait(-1);
    r.timedOut = true;
    std::ostringstream limit;
    limit << timeoutSeconds;
    ADD_FAILURE() << "child " << child.Id() << " did not end within " << limit.str() << " s";
  }
  r.exitCode = child.ExitCode();
  r.signal = child.SignalNumber();
  r.out = ReadFile(dir + "/stdout");
  if (!mergeErr) r.err = ReadFile(dir + "/stderr");
  return r;
}

}  // namespace

struct Process::Impl {
  KavrinProcess child;
  bool started = false;
  ProcessOptions options;
  std::string dir;  // the child's stdin, stdout and stderr files
  bool waited = false;
};

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const ProcessOptions& options)
    : impl_(std::make_unique<Impl>()) {
  impl_->options = options;
  impl_->dir = MakeTempDir("kavrin_child");
  {
    std::ofstream in(impl_->dir + "/stdin", std::ios::binary);
    in << options.stdinText;
  }
  KavrinProcess::Options how = FilesIn(impl_->dir, options.mergeErrIntoOut);
  how.env = options.env;
  how.workDir = options.workDir;
  how.notRunText = "cannot run " + program;
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string error;
  impl_->started = impl_->child.Start(argv, how, error);
  if (!impl_->started) {
    // As a shell would: exit code 127 and a line on standard error.
    std::ofstream(impl_->dir + (options.mergeErrIntoOut ? "/stdout" : "/stderr"), std::ios::binary)
        << how.notRunText << "\n";
  }
}

Process::~Process() {
  if (impl_->started && !impl_->waited) {
    impl_->child.Send(KavrinProcess::Stop::Kill);
    impl_->child.Wait(5);
  }
  std::error_code ignored;
  if (!impl_->dir.empty()) fs::remove_all(impl_->dir, ignored);
}

ProcessResult Process::Wait() {
  if (impl_->waited) return ProcessResult{};
  impl_->waited = true;
  const bool merged = impl_->options.mergeErrIntoOut;
  if (impl_->started) return Collect(impl_->child, impl_->dir, impl_->options.timeoutSeconds, merged);
  ProcessResult r;
  r.exitCode = 127;
  r.out = ReadFile(impl_->dir + "/stdout");
  if (!merged) r.err = ReadFile(impl_->dir + "/stderr");
  return r;
}

std::string Process::ErrSoFar() const {
  return ReadFile(impl_->dir + (impl_->options.mergeErrIntoOut ? "/stdout" : "/stderr"));
}

void Process::Interrupt() {
  if (!impl_->waited) impl_->child.Send(KavrinProcess::Stop::Interrupt);
}

void Process::Hangup() {
  if (!impl_->waited) impl_->child.Send(KavrinProcess::Stop::Hangup);
}

ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                  const ProcessOptions& options) {
  Process p(program, args, options);
  return p.Wait();
}

ProcessResult RunInChild(const std::function<int()>& body, double timeoutSeconds) {
  const std::string dir = MakeTempDir("kavrin_child");
  { std::ofstream(dir + "/stdin", std::ios::binary); }
  KavrinProcess child;
  std::string error;
  ProcessResult r;
  if (child.StartCopy(body, FilesIn(dir, false), error))
    r = Collect(child, dir, timeoutSeconds, false);
  else
    ADD_FAILURE() << "RunInChild: " << error;
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return r;
}

ScratchDir::ScratchDir(const std::string& prefix) : path_(MakeTempDir(prefix)) {}

ScratchDir::~ScratchDir() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const bool failed = test != nullptr && test->result() != nullptr && test->result()->Failed();
  if (path_.empty()) return;
  if (failed) {
    std::cerr << "scratch directory kept: " << path_ << "\n";
    return;
  }
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value) : name_(name) {
  if (const char* old = std::getenv(name.c_str())) previous_ = old;
  if (value)
    SetEnv(name, *value);
  else
    UnsetEnv(name);
}

ScopedEnv::~ScopedEnv() {
  if (previous_)
    SetEnv(name_, *previous_);
  else
    UnsetEnv(name_);
}

void SetEnv(const std::string& name, const std::string& value) { KavrinSystem::SetEnv(name, value); }

void UnsetEnv(const std::string& name) { KavrinSystem::UnsetEnv(name); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long ProcessId() { return static_cast<long>(KavrinSystem::ProcessId()); }

}  // namespace testproc
