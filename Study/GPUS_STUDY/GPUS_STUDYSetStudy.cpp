#include "Study/GPUS_STUDY/GPUS_STUDYSetStudy.h"

#include <iostream>

#include "Reward/GPU_REWARD/GPU_REWARDPVModel.h"

BaseStudyClass* GenerateStudy() {
  if (GlobalStudyPtr == nullptr) GlobalStudyPtr = new GPUS_STUDYSetStudy();
  return GlobalStudyPtr;
}

void DestructStudy() {
  delete GlobalStudyPtr;
  GlobalStudyPtr = nullptr;
}

GPUS_STUDYSetStudy::GPUS_STUDYSetStudy() {
  NumGVs = 0;
  NumExps = 1;
  GVNames = new char*[NumGVs];
  GVTypes = new char*[NumGVs];
}

GPUS_STUDYSetStudy::~GPUS_STUDYSetStudy() { delete ThePVModel; }

PVModel* GPUS_STUDYSetStudy::GetPVModel(bool expandTimeArrays) {
  delete ThePVModel;
  ThePVModel = new GPU_REWARDPVModel(expandTimeArrays);
  return ThePVModel;
}

void GPUS_STUDYSetStudy::SetGVs(int /*expNum*/) {}

void GPUS_STUDYSetStudy::PrintGlobalValues(int expNum) {
  if (NumGVs != 0) {
    SetGVs(expNum);
    std::cout << "The Global Variable values for experiment " << GetExpName(expNum) << " are:" << std::endl;
  } else {
    std::cout << "There are no global variables." << std::endl;
  }
}

void* GPUS_STUDYSetStudy::GetGVValue(char* TheGVName) {
  std::cerr << "!! GPUS_STUDYSetStudy::GetGVValue: Global Variable " << TheGVName << " does not exist."
            << std::endl;
  return nullptr;
}

void GPUS_STUDYSetStudy::OverrideGVValue(char* TheGVName, void* /*TheGVValue*/) {
  std::cerr << "!! GPUS_STUDYSetStudy::OverrideGVValue: Global Variable " << TheGVName << " does not exist."
            << std::endl;
}
