// TestProcess on POSIX systems: fork and exec, output into files of a private scratch directory
// (no pipe can fill up while the test waits), waitpid polled against a deadline.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <thread>

#include "support/TestProcess.h"

extern char** environ;

namespace testproc {

const int kErrBadDescriptor = EBADF;
const int kErrConnRefused = ECONNREFUSED;

namespace {

namespace fs = std::filesystem;

// Writes all of text to fd; false when the file would not take it.
bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The names of a child's standard streams, made before the fork: the child of a process with
// threads may only make async-signal-safe calls, so it must not allocate.
struct StreamFiles {
  explicit StreamFiles(const std::string& dir)
      : in(dir + "/stdin"), out(dir + "/stdout"), err(dir + "/stderr") {}
  std::string in, out, err;
};

// In the child, before exec or body: standard streams to the files.
void RedirectInChild(const StreamFiles& files, bool mergeErr) {
  const int in = ::open(files.in.c_str(), O_RDONLY);
  const int out = ::open(files.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = mergeErr ? out : ::open(files.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0) _exit(126);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
}

ProcessResult Collect(pid_t pid, const std::string& dir, double timeoutSeconds, bool mergeErr) {
  ProcessResult r;
  int status = 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      ADD_FAILURE() << "waitpid failed for child " << pid;
      return r;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      r.timedOut = true;
      std::ostringstream limit;
      limit << timeoutSeconds;
      ADD_FAILURE() << "child " << pid << " did not end within " << limit.str() << " s";
      break;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(20)) pause *= 2;
  }
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  r.out = ReadFile(dir + "/stdout");
  if (!mergeErr) r.err = ReadFile(dir + "/stderr");
  return r;
}

// This process's environment with the options' changes, as "NAME=value" strings.
std::vector<std::string> ChildEnvironment(const ProcessOptions& options) {
  std::vector<std::string> out;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool changed = false;
    for (const auto& change : options.env) changed = changed || change.first == name;
    if (!changed) out.push_back(entry);
  }
  for (const auto& change : options.env)
    if (change.second) out.push_back(change.first + "=" + *change.second);
  return out;
}

// A bare program name looked up on PATH as a shell would; a path is kept as it is.
std::string Resolve(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = ::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t from = 0;
  while (from <= dirs.size()) {
    size_t colon = dirs.find(':', from);
    if (colon == std::string::npos) colon = dirs.size();
    const std::string dir = colon > from ? dirs.substr(from, colon - from) : ".";
    const std::string candidate = dir + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    from = colon + 1;
  }
  return program;
}

std::string MakeTempDir(const std::string& prefix) {
  std::string name = (fs::temp_directory_path() / (prefix + "_XXXXXX")).string();
  if (::mkdtemp(&name[0]) == nullptr) {
    ADD_FAILURE() << "cannot make a scratch directory from " << name;
    return std::string();
  }
  return name;
}

}  // namespace

struct Process::Impl {
  pid_t pid = -1;
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
  // Everything the child needs is made before the fork.
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  const std::string notRun = "cannot run " + program + "\n";
  const StreamFiles files(impl_->dir);
  std::vector<std::string> environment = ChildEnvironment(options);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  const std::string path = Resolve(program);

  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  impl_->pid = ::fork();
  if (impl_->pid < 0) {
    ADD_FAILURE() << "fork failed";
    return;
  }
  if (impl_->pid == 0) {
    RedirectInChild(files, options.mergeErrIntoOut);
    if (!options.workDir.empty() && ::chdir(options.workDir.c_str()) != 0) _exit(126);
    ::execve(path.c_str(), argv.data(), envp.data());
    WriteAll(2, notRun);
    _exit(127);
  }
}

Process::~Process() {
  if (impl_->pid > 0 && !impl_->waited) {
    ::kill(impl_->pid, SIGKILL);
    int status = 0;
    ::waitpid(impl_->pid, &status, 0);
  }
  std::error_code ignored;
  if (!impl_->dir.empty()) fs::remove_all(impl_->dir, ignored);
}

ProcessResult Process::Wait() {
  if (impl_->pid <= 0 || impl_->waited) return ProcessResult{};
  impl_->waited = true;
  return Collect(impl_->pid, impl_->dir, impl_->options.timeoutSeconds, impl_->options.mergeErrIntoOut);
}

std::string Process::ErrSoFar() const {
  return ReadFile(impl_->dir + (impl_->options.mergeErrIntoOut ? "/stdout" : "/stderr"));
}

void Process::Interrupt() {
  if (impl_->pid > 0 && !impl_->waited) ::kill(impl_->pid, SIGINT);
}

void Process::Hangup() {
  if (impl_->pid > 0 && !impl_->waited) ::kill(impl_->pid, SIGHUP);
}

ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                  const ProcessOptions& options) {
  Process p(program, args, options);
  return p.Wait();
}

ProcessResult RunInChild(const std::function<int()>& body, double timeoutSeconds) {
  const std::string dir = MakeTempDir("kavrin_child");
  { std::ofstream(dir + "/stdin", std::ios::binary); }
  const StreamFiles files(dir);
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    RedirectInChild(files, false);
    const int code = body();
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    _exit(code);  // no test-framework teardown in the child
  }
  ProcessResult r;
  if (pid < 0)
    ADD_FAILURE() << "fork failed";
  else
    r = Collect(pid, dir, timeoutSeconds, false);
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
  if (const char* old = ::getenv(name.c_str())) previous_ = old;
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

void SetEnv(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }

void UnsetEnv(const std::string& name) { ::unsetenv(name.c_str()); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long ProcessId() { return static_cast<long>(::getpid()); }

}  // namespace testproc
