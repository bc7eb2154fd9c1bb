// TestProcess on Windows: CreateProcess with the runtime's quoting, standard streams in files of
// a private scratch directory (no pipe can fill up while the test waits), an environment block
// built from this process's, and a wait against a deadline.
#include <windows.h>
//
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "support/TestProcess.h"

namespace testproc {

const int kErrBadDescriptor = 10038;  // WSAENOTSOCK: what Winsock says of a socket that is none
const int kErrConnRefused = 10061;    // WSAECONNREFUSED

namespace {

namespace fs = std::filesystem;

// One argument as the C runtime's command-line parser reads it back.
std::string Quote(const std::string& a) {
  if (!a.empty() && a.find_first_of(" \t\n\v\"") == std::string::npos) return a;
  std::string out = "\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < a.size() && a[i] == '\\') {
      ++i;
      ++backslashes;
    }
    if (i == a.size()) {
      out.append(backslashes * 2, '\\');
      break;
    }
    out.append(a[i] == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    out.push_back(a[i]);
  }
  out.push_back('"');
  return out;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

// This process's environment with the options' changes, as a block for CreateProcess. Names
// are compared without case, as Windows does.
std::string ChildEnvironment(const ProcessOptions& options) {
  std::string block;
  char* all = GetEnvironmentStringsA();
  for (const char* e = all; e && *e; e += std::strlen(e) + 1) {
    const std::string entry = e;
    const std::string name = entry.substr(0, entry.find('=', 1));  // "=C:=..." entries keep their '='
    bool changed = false;
    for (const auto& change : options.env) changed = changed || SameName(change.first, name);
    if (!changed) block += entry + '\0';
  }
  if (all) FreeEnvironmentStringsA(all);
  for (const auto& change : options.env)
    if (change.second) block += change.first + "=" + *change.second + '\0';
  block += '\0';
  return block;
}

std::string MakeTempDir(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const fs::path candidate = base / (prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                                       std::to_string(GetTickCount()) + "_" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) return candidate.string();
  }
  ADD_FAILURE() << "cannot make a scratch directory in " << base.string();
  return std::string();
}

HANDLE OpenForChild(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

struct Process::Impl {
  HANDLE process = nullptr;
  ProcessOptions options;
  std::string dir;  // the child's stdin, stdout and stderr files
  bool waited = false;
  bool notRun = false;
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
  HANDLE in = OpenForChild(impl_->dir + "/stdin", false);
  HANDLE out = OpenForChild(impl_->dir + "/stdout", true);
  HANDLE err = options.mergeErrIntoOut ? out : OpenForChild(impl_->dir + "/stderr", true);

  std::string line = Quote(program);
  for (const std::string& a : args) line += " " + Quote(a);
  std::string environment = ChildEnvironment(options);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  // A process group of its own, so that an interrupt can be sent to it alone.
  const BOOL started =
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, &environment[0],
                     options.workDir.empty() ? nullptr : options.workDir.c_str(), &si, &pi);
  for (HANDLE h : {in, out, err})
    if (h != INVALID_HANDLE_VALUE && !(h == err && options.mergeErrIntoOut)) CloseHandle(h);
  if (!started) {
    // As a shell would: exit code 127 and a line on standard error.
    impl_->notRun = true;
    std::ofstream(impl_->dir + (options.mergeErrIntoOut ? "/stdout" : "/stderr"), std::ios::binary)
        << "cannot run " << program << "\n";
    return;
  }
  CloseHandle(pi.hThread);
  impl_->process = pi.hProcess;
}

Process::~Process() {
  if (impl_->process) {
    if (!impl_->waited) {
      TerminateProcess(impl_->process, 137);
      WaitForSingleObject(impl_->process, 5000);
    }
    CloseHandle(impl_->process);
  }
  std::error_code ignored;
  if (!impl_->dir.empty()) fs::remove_all(impl_->dir, ignored);
}

ProcessResult Process::Wait() {
  ProcessResult r;
  if (impl_->waited) return r;
  impl_->waited = true;
  const bool merged = impl_->options.mergeErrIntoOut;
  if (impl_->notRun) {
    r.exitCode = 127;
  } else if (impl_->process) {
    const DWORD ms = static_cast<DWORD>(impl_->options.timeoutSeconds * 1000);
    if (WaitForSingleObject(impl_->process, ms) != WAIT_OBJECT_0) {
      TerminateProcess(impl_->process, 137);
      WaitForSingleObject(impl_->process, INFINITE);
      r.timedOut = true;
      std::ostringstream limit;
      limit << impl_->options.timeoutSeconds;
      ADD_FAILURE() << "child did not end within " << limit.str() << " s";
    } else {
      DWORD code = 0;
      GetExitCodeProcess(impl_->process, &code);
      r.exitCode = static_cast<int>(code);
    }
  }
  r.out = ReadFile(impl_->dir + "/stdout");
  if (!merged) r.err = ReadFile(impl_->dir + "/stderr");
  return r;
}

std::string Process::ErrSoFar() const {
  return ReadFile(impl_->dir + (impl_->options.mergeErrIntoOut ? "/stdout" : "/stderr"));
}

// A console program in a group of its own only receives Ctrl-Break; Windows has no hang-up to
// send, so both ask the same.
void Process::Interrupt() {
  if (impl_->process && !impl_->waited)
    GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, GetProcessId(impl_->process));
}

void Process::Hangup() { Interrupt(); }

ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                  const ProcessOptions& options) {
  Process p(program, args, options);
  return p.Wait();
}

// Windows cannot copy a running process: the test fails with a note instead.
ProcessResult RunInChild(const std::function<int()>&, double) {
  ADD_FAILURE() << "RunInChild needs a copy of the running process, which Windows cannot make";
  return ProcessResult{};
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

// Through the C runtime, which also updates the system's copy that children inherit. An empty
// value cannot be kept on Windows: it removes the variable.
void SetEnv(const std::string& name, const std::string& value) { ::_putenv_s(name.c_str(), value.c_str()); }

void UnsetEnv(const std::string& name) { ::_putenv_s(name.c_str(), ""); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

}  // namespace testproc
