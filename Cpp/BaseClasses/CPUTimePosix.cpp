#include <ctime>

#include "BaseClasses/CPUTime.h"

CPUTime::CPUTime() : _initialCPUClock(0.0), _initialSYSClock(0.0) {}

CPUTime::~CPUTime() {}

void CPUTime::Start() {
  _initialCPUClock = static_cast<double>(std::clock());
  _initialSYSClock = 0.0;
}

double CPUTime::GetTime() {
  return (static_cast<double>(std::clock()) - _initialCPUClock) / static_cast<double>(CLOCKS_PER_SEC);
}
