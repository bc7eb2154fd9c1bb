// simmgr: starts simulators of a study, pools their observations and reports estimates.
#include <cctype>
#include <fstream>
#include <functional>
#include <iostream>

#include "FromFiles.h"
#include "Launch.h"
#include "Manager.h"
#include "Options.h"
#include "Os.h"
#include "PVDescription.h"
#include "Report.h"
#include "StudyListing.h"

using namespace simmgr;

namespace {

bool WriteFile(const std::string& path, const std::function<void(std::ostream&)>& body) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) {
    std::cerr << "simmgr: cannot write " << path << "\n";
    return false;
  }
  body(f);
  f.close();
  if (!f) {
    std::cerr << "simmgr: error writing " << path << "\n";
    return false;
  }
  return true;
}

bool CanCreate(const std::string& path) {
  std::ofstream f(path, std::ios::binary | std::ios::app);
  return static_cast<bool>(f);
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
  // Result files are checked before any simulator runs, not after minutes of work.
  for (const std::string* f : {&opt.csvFile, &opt.jsonFile})
    if (!f->empty() && !CanCreate(*f)) {
      std::cerr << "simmgr: cannot write " << *f << "\n";
      return 1;
    }

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

  if (opt.list) {
    StudyListing study;
    const std::string studyFile = described + ".study";
    if (os::FileExists(studyFile) && !study.LoadStudyFile(studyFile, error)) {
      std::cerr << "simmgr: " << error << "\n";
      return 1;
    }
    if (!pv.Known() && !os::FileExists(studyFile)) {
      std::cerr << "simmgr: no study description beside " << opt.simulator << " (" << pvFile << ", "
                << studyFile << "); the build writes them\n";
      return 1;
    }
    study.Write(std::cout, opt.simulator, pv);
    return 0;
  }

  os::IgnoreBrokenPipe();
  os::InstallInterruptHandler();
  std::vector<std::string> args(argv, argv + argc);
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

  WriteTable(std::cout, opt, run, args);
  bool filesOk = true;
  if (!opt.csvFile.empty())
    filesOk &= WriteFile(opt.csvFile, [&](std::ostream& o) { WriteCsv(o, opt, run); });
  if (!opt.jsonFile.empty())
    filesOk &= WriteFile(opt.jsonFile, [&](std::ostream& o) { WriteJson(o, opt, run, args); });
  const int status = ExitStatus(opt, run);
  return status != 0 ? status : (filesOk ? 0 : 1);
}
