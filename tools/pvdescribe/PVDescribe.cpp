// Writes the description of a study for the simulation manager:
//   pvdescribe <file.pv> <file.pvkind> [<file.study>]
// <file.pv> is the reward model's own description file; <file.pvkind> has one line per row of
// observations, "index name terminating|steady_state", saying which kind of run considers it;
// <file.study> lists the global variables and the experiments, the SHA-256 of the description
// a generated study came from and, for a composed model, the instances each reward variable reads
// (see StudyDescription).
// Linked with a study's generated objects, it builds that study's reward model as a run would
// (first experiment, time arrays expanded).
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>

#include "Performance_Variables/PVModel.h"
#include "Simulator/ModelProvenance.h"
#include "Study/BaseStudyClass.h"
#include "Study/ExperimentNames.h"
#include "StudyDescription.h"

namespace {

bool WriteText(const char* path, const std::function<void(std::ostream&)>& body,
               std::ios::openmode mode = std::ios::trunc) {
  std::ofstream out(path, std::ios::out | mode);
  if (!out) {
    std::cerr << "Cannot open " << path << ": " << std::strerror(errno) << std::endl;
    return false;
  }
  body(out);
  out.flush();
  if (!out) {
    std::cerr << "Cannot write " << path << std::endl;
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: " << argv[0] << " <file.pv> <file.pvkind> [<file.study>]" << std::endl;
    return 1;
  }
  BaseStudyClass* study = GenerateStudy();
  int status = 0;
  if (argc == 4 && !WriteText(argv[3], [&](std::ostream& o) {
        StudyDescription::WriteStudy(*study, o, KavrinExperimentNames, KavrinModelDescriptionSha256);
      }))
    status = 1;
  study->SetGVs(0);
  PVModel* pv = study->GetPVModel(true);
  if (!pv->WritePVTypeFile(argv[1])) status = 1;
  if (!WriteText(argv[2], [&](std::ostream& o) { StudyDescription::WriteKinds(*pv, o); })) status = 1;
  if (argc == 4 && status == 0 &&
      !WriteText(
          argv[3], [&](std::ostream& o) { StudyDescription::WriteScopes(*pv, o); }, std::ios::app))
    status = 1;
  DestructStudy();
  return status;
}
