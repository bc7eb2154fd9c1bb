// What the reports say about where a run's figures come from besides the options: the
// manager's command line and version, when and where it started, and the study's experiments
// by name with the values of their global variables (after any -O override).
#ifndef KAVRIN_SIMMGR_RUNCONTEXT_H
#define KAVRIN_SIMMGR_RUNCONTEXT_H

#include <string>
#include <vector>

#include "StudyFile.h"

namespace simmgr {

struct RunContext {
  std::vector<std::string> command;  // the manager's own argv
  std::string startTime;             // UTC, ISO 8601 ("2026-01-31T12:00:00Z")
  std::string managerHost;           // the machine the manager ran on
  StudyFile study;                   // not loaded: no .study file beside the simulator
};

}  // namespace simmgr

#endif
