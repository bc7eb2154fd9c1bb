// The results of a run as a readable table, as CSV and as JSON, each with the context
// needed to run it again (seeds, generator, command lines).
#ifndef KAVRIN_SIMMGR_REPORT_H
#define KAVRIN_SIMMGR_REPORT_H

#include <iosfwd>
#include <string>
#include <vector>

#include "Manager.h"
#include "Options.h"
#include "RunContext.h"

namespace simmgr {

void WriteTable(std::ostream& out, const Options& o, const RunResult& run, const RunContext& context);
void WriteCsv(std::ostream& out, const Options& o, const RunResult& run, const RunContext& context);
void WriteJson(std::ostream& out, const Options& o, const RunResult& run, const RunContext& context);

// Exit status of the manager: 130 after an interrupt, 2 when an experiment (or one kind of
// run of it) got no observation, 3 when results are incomplete (a simulator could not be
// started, crashed, broke its link or left a faulty result file, or a variable is unreliable or
// received non-finite observations), otherwise 0.
int ExitStatus(const Options& o, const RunResult& run);

}  // namespace simmgr

#endif
