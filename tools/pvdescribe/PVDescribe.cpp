// Writes the reward-model description of a study for the simulation manager:
//   pvdescribe <file.pv> <file.pvkind>
// <file.pv> is the reward model's own description file; <file.pvkind> has one line per variable,
// "index name terminating|steady_state", saying which kind of run considers it.
// Linked with a study's generated objects, it builds that study's reward model as a run would
// (first experiment, time arrays expanded).
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "Performance_Variables/PVModel.h"
#include "Study/BaseStudyClass.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " <file.pv> <file.pvkind>" << std::endl;
    return 1;
  }
  BaseStudyClass* study = GenerateStudy();
  study->SetGVs(0);
  PVModel* pv = study->GetPVModel(true);
  int status = pv->WritePVTypeFile(argv[1]) ? 0 : 1;
  std::ofstream kinds(argv[2], std::ios::out | std::ios::trunc);
  if (!kinds) {
    std::cerr << "Cannot open " << argv[2] << ": " << std::strerror(errno) << std::endl;
    status = 1;
  } else {
    for (int p = 0; p < pv->getNumPVs(); p++) {
      PerformanceVariableNode* node = pv->getPV(p);
      kinds << p << ' ' << node->GetName() << ' ' << (node->Type == steady_state ? "steady_state" : "terminating")
            << '\n';
    }
    kinds.flush();
    if (!kinds) {
      std::cerr << "Cannot write " << argv[2] << std::endl;
      status = 1;
    }
  }
  DestructStudy();
  return status;
}
