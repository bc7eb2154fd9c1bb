// KavrinSystem on POSIX systems.
#include <signal.h>
#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "BaseClasses/KavrinSystem.h"

extern char** environ;

namespace {
volatile sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) { gInterrupted = gInterrupted + 1; }
}  // namespace

int KavrinSystem::ProcessId() { return static_cast<int>(::getpid()); }

void KavrinSystem::IgnoreBrokenPipe() { ::signal(SIGPIPE, SIG_IGN); }

void KavrinSystem::InstallInterruptHandler() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a poll returns at once
  ::sigaction(SIGINT, &sa, nullptr);
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGHUP, &sa, nullptr);
}

int KavrinSystem::InterruptCount() { return static_cast<int>(gInterrupted); }

std::string KavrinSystem::ErrorText(int err) { return std::strerror(err); }

std::string KavrinSystem::SystemErrorText(unsigned long code) {
  return std::strerror(static_cast<int>(code));
}

bool KavrinSystem::StderrIsTerminal() { return ::isatty(2) == 1; }

std::string KavrinSystem::HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

bool KavrinSystem::RenameOver(const std::string& from, const std::string& to, std::string& reason) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = ErrorText(errno);
  return false;
}

std::vector<std::string> KavrinSystem::Environment() {
  std::vector<std::string> all;
  for (char** e = environ; *e != nullptr; ++e) all.emplace_back(*e);
  return all;
}

bool KavrinSystem::SameVariable(const std::string& a, const std::string& b) { return a == b; }

void KavrinSystem::SetEnv(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

void KavrinSystem::UnsetEnv(const std::string& name) { ::unsetenv(name.c_str()); }
