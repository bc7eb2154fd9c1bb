#include <windows.h>

#include "BaseClasses/CPUTime.h"

namespace {
// User and kernel time of the whole process, in seconds: what clock() gives on POSIX systems
// (the Windows runtime's clock() counts wall time instead).
double ProcessSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;  // 100 ns units
}
}  // namespace

CPUTime::CPUTime() : _initialCPUClock(0.0), _initialSYSClock(0.0) {}

CPUTime::~CPUTime() {}

void CPUTime::Start() {
  _initialCPUClock = ProcessSeconds();
  _initialSYSClock = 0.0;
}

double CPUTime::GetTime() { return ProcessSeconds() - _initialCPUClock; }
