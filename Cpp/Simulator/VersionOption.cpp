// --version: what a simulator says about itself (its build's version and where its model came
// from), answered before the ordinary options are read.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "KavrinVersion.h"
#include "Simulator/ModelProvenance.h"
#include "Simulator/SimulatorClass.h"

namespace {

// The program's own name: the last path component, without a Windows ".exe".
std::string ProgramName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string exe = ".exe";
  if (name.size() > exe.size()) {
    std::string tail = name.substr(name.size() - exe.size());
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail == exe) name.erase(name.size() - exe.size());
  }
  return name;
}

}  // namespace

std::string SimulatorClass::VersionText(const std::string& programPath, const char* version,
                                        const char* descriptionSha256) {
  std::string text = ProgramName(programPath) + " " + version + "\n";
  if (descriptionSha256 == nullptr || descriptionSha256[0] == '\0')
    text += "model: written by hand\n";
  else
    text += std::string("model description sha256: ") + descriptionSha256 + "\n";
  return text;
}

void SimulatorClass::AnswerVersionOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") != 0) continue;
    std::cout << VersionText(argc > 0 && argv[0] ? argv[0] : "", KAVRIN_VERSION, KavrinModelDescriptionSha256)
              << std::flush;
    std::exit(std::cout.good() ? 0 : 1);
  }
}
