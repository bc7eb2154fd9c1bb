// KavrinSystem on Windows.
#include <windows.h>
//
#include <io.h>
#include <stdlib.h>

#include <atomic>
#include <cstring>

#include "BaseClasses/KavrinSystem.h"

namespace {
std::atomic<int> gInterrupted{0};

BOOL WINAPI OnConsoleEvent(DWORD type) {
  switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      ++gInterrupted;
      return TRUE;
    default:
      return FALSE;
  }
}

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.' || s.back() == ' '))
    s.pop_back();
  return s;
}
}  // namespace

int KavrinSystem::ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

// Windows has no broken-pipe signal: a write to a closed reader already fails with an error.
void KavrinSystem::IgnoreBrokenPipe() {}

void KavrinSystem::InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

int KavrinSystem::InterruptCount() { return gInterrupted.load(); }

// Small numbers are the C library's; socket and system errors are the system's codes.
std::string KavrinSystem::SystemErrorText(unsigned long code) { return SystemMessage(code); }

std::string KavrinSystem::ErrorText(int err) {
  if (err >= 10000 || err < 0) return SystemMessage(static_cast<DWORD>(err));
  return std::strerror(err);
}

bool KavrinSystem::StderrIsTerminal() { return _isatty(2) != 0; }

std::string KavrinSystem::HostName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return "";
  return std::string(name, size);
}

bool KavrinSystem::RenameOver(const std::string& from, const std::string& to, std::string& reason) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  reason = SystemMessage(GetLastError());
  return false;
}

std::vector<std::string> KavrinSystem::Environment() {
  std::vector<std::string> all;
  char* block = GetEnvironmentStringsA();
  for (const char* e = block; e && *e; e += std::strlen(e) + 1) all.emplace_back(e);
  if (block) FreeEnvironmentStringsA(block);
  return all;
}

bool KavrinSystem::SameVariable(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

void KavrinSystem::SetEnv(const std::string& name, const std::string& value) {
  ::_putenv_s(name.c_str(), value.c_str());
}

void KavrinSystem::UnsetEnv(const std::string& name) { ::_putenv_s(name.c_str(), ""); }
