// simmgr: starts simulators of a study, pools their observations and reports estimates.
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "FromFiles.h"
#include "KavrinVersion.h"
#include "Launch.h"
#include "Manager.h"
#include "Options.h"
#include "Os.h"
#include "PVDescription.h"
#include "Report.h"
#include "ResultFile.h"
#include "RunContext.h"
#include "StudyListing.h"

using namespace simmgr;

namespace {

// The current time, UTC, ISO 8601.
std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  if (const std::tm* t = std::gmtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", t);
  return text;
}

// Says what went wrong; returns the exit status of a command-line or file error.
int Fail(const std::string& message) {
  std::cerr << "simmgr: " << message << "\n";
  return 1;
}

}  // namespace

// The build writes a simulator's descriptions beside it under the simulator's target name, so a
// program given as "X.exe" is described by "X.pv" and "X.study" unless "X.exe.pv" exists.
static std::string DescribedName(const std::string& simulator) {
  const std::string exe = ".exe";
  if (simulator.size() <= exe.size() || os::FileExists(simulator + ".pv")) return simulator;
  std::string tail = simulator.substr(simulator.size() - exe.size());
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == exe ? simulator.substr(0, simulator.size() - exe.size()) : simulator;
}

int main(int argc, char** argv) {
  Options opt;
  std::string error;
  if (!ParseOptions(argc, argv, opt, error)) {
    std::cerr << "simmgr: " << error << "\n" << UsageText();
    return 1;
  }
  if (opt.help) {
    std::cout << UsageText();
    return 0;
  }
  if (opt.version) {
    std::cout << "simmgr " << KAVRIN_VERSION << "\n";
    return 0;
  }
  // Result files are checked before any simulator runs, not after minutes of work.
  for (const std::string* f : {&opt.csvFile, &opt.jsonFile})
    if (!f->empty() && !ResultFile(*f).Probe(error)) return Fail(error);

  PVDescription pv;
  const std::string described = DescribedName(opt.simulator);
  const std::string pvFile = opt.pvFile.empty() ? described + ".pv" : opt.pvFile;
  if (!opt.pvFile.empty() || os::FileExists(pvFile)) {
    if (!pv.LoadTypeFile(pvFile, error)) {
      std::cerr << "simmgr: " << error << "\n";
      return 1;
    }
  }
  std::string kindFile = pvFile;
  if (kindFile.size() > 3 && kindFile.compare(kindFile.size() - 3, 3, ".pv") == 0)
    kindFile += "kind";
  else
    kindFile += ".pvkind";
  if (os::FileExists(kindFile) && !pv.LoadKindFile(kindFile, error)) {
    std::cerr << "simmgr: " << error << "\n";
    return 1;
  }

  RunContext context;
  context.command.assign(argv, argv + argc);
  const std::string studyFile = described + ".study";
  if (os::FileExists(studyFile) && !context.study.Load(studyFile, error)) return Fail(error);
  std::string overrides;
  if (FindSimulatorOption(opt.simulatorArgs, 'O', overrides)) context.study.ApplyOverrides(overrides);

  if (opt.list) {
    if (!pv.Known() && !context.study.Loaded())
      return Fail("no study description beside " + opt.simulator + " (" + pvFile + ", " + studyFile +
                  "); the build writes them");
    StudyListing(pv, context.study).Write(std::cout, opt.simulator);
    return 0;
  }
  // Experiments by name, and any the study lacks, are settled before anything starts.
  if (opt.fromFiles.empty() && !context.study.Select(opt.experimentList, opt.experiments, error))
    return Fail("bad value '" + opt.experimentList + "' for --experiments: " + error);

  if (opt.fromFiles.empty()) {
    SlurmAllocation slurm;
    if (!SettleHosts(opt, slurm, std::getenv("SLURM_JOB_NODELIST"), error)) return Fail(error);
  }

  os::IgnoreBrokenPipe();
  os::InstallInterruptHandler();
  context.startTime = UtcNow();
  context.managerHost = os::HostName();
  RunResult run;
  if (!opt.fromFiles.empty()) {
    if (!FromFiles(opt, pv, std::cerr).Read(run)) return 1;
  } else {
    Manager manager(opt, pv, std::cerr);
    if (!manager.Plan(error)) {  // before anything is launched
      std::cerr << "simmgr: " << error << "\n";
      return 1;
    }
    run = manager.Run();
  }

  WriteTable(std::cout, opt, run, context);
  bool filesOk = true;
  if (!opt.csvFile.empty() &&
      !ResultFile(opt.csvFile).Write([&](std::ostream& o) { WriteCsv(o, opt, run, context); }, error))
    filesOk = Fail(error) == 0;
  if (!opt.jsonFile.empty() &&
      !ResultFile(opt.jsonFile).Write([&](std::ostream& o) { WriteJson(o, opt, run, context); }, error))
    filesOk = Fail(error) == 0;
  const int status = ExitStatus(opt, run);
  return status != 0 ? status : (filesOk ? 0 : 1);
}
