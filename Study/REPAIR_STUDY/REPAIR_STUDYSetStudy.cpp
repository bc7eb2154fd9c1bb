#include "Study/REPAIR_STUDY/REPAIR_STUDYSetStudy.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "Reward/REPAIR_REWARD/REPAIR_REWARDPVModel.h"

Int N;
Double lambda;
Double mu;

BaseStudyClass* GenerateStudy() {
  if (GlobalStudyPtr == nullptr) GlobalStudyPtr = new REPAIR_STUDYSetStudy();
  return GlobalStudyPtr;
}

void DestructStudy() {
  delete GlobalStudyPtr;
  GlobalStudyPtr = nullptr;
}

REPAIR_STUDYSetStudy::REPAIR_STUDYSetStudy() {
  NumGVs = 3;
  NumExps = 3;
  GVNames = new char*[NumGVs];
  GVTypes = new char*[NumGVs];
  GVNames[0] = strdup("N");
  GVTypes[0] = strdup("int");
  GVNames[1] = strdup("lambda");
  GVTypes[1] = strdup("double");
  GVNames[2] = strdup("mu");
  GVTypes[2] = strdup("double");
  NValues = new int[NumExps]{10, 10, 10};
  lambdaValues = new double[NumExps]{0.05, 0.1, 0.2};
  muValues = new double[NumExps]{1.0, 1.0, 1.0};
}

REPAIR_STUDYSetStudy::~REPAIR_STUDYSetStudy() {
  delete ThePVModel;
  delete[] NValues;
  delete[] lambdaValues;
  delete[] muValues;
}

PVModel* REPAIR_STUDYSetStudy::GetPVModel(bool expandTimeArrays) {
  delete ThePVModel;
  ThePVModel = new REPAIR_REWARDPVModel(expandTimeArrays);
  return ThePVModel;
}

// An experiment the study does not have would read past the value tables.
void REPAIR_STUDYSetStudy::SetGVs(int expNum) {
  if (expNum < 0 || static_cast<uint32_t>(expNum) >= NumExps) {
    std::cerr << "ERROR: REPAIR_STUDY has no experiment " << expNum << " (valid: 0 to " << NumExps - 1 << ")"
              << std::endl;
    std::exit(1);
  }
  SetGvValue(N, NValues[expNum]);
  SetGvValue(lambda, lambdaValues[expNum]);
  SetGvValue(mu, muValues[expNum]);
}

void REPAIR_STUDYSetStudy::PrintGlobalValues(int expNum) {
  if (NumGVs != 0) {
    SetGVs(expNum);
    std::cout << "The Global Variable values for experiment " << GetExpName(expNum) << " are:" << std::endl;
    std::cout << "N\tint\t" << N << std::endl;
    std::cout << "lambda\tdouble\t" << lambda << std::endl;
    std::cout << "mu\tdouble\t" << mu << std::endl;
  } else {
    std::cout << "There are no global variables." << std::endl;
  }
}

void* REPAIR_STUDYSetStudy::GetGVValue(char* TheGVName) {
  if (std::strcmp("N", TheGVName) == 0) return &N.mVar;
  if (std::strcmp("lambda", TheGVName) == 0) return &lambda.mVar;
  if (std::strcmp("mu", TheGVName) == 0) return &mu.mVar;
  std::cerr << "!! REPAIR_STUDYSetStudy::GetGVValue: Global Variable " << TheGVName << " does not exist."
            << std::endl;
  return nullptr;
}

void REPAIR_STUDYSetStudy::OverrideGVValue(char* TheGVName, void* TheGVValue) {
  if (std::strcmp("N", TheGVName) == 0) {
    SetGvValue(N, *static_cast<int*>(TheGVValue));
  } else if (std::strcmp("lambda", TheGVName) == 0) {
    SetGvValue(lambda, *static_cast<double*>(TheGVValue));
  } else if (std::strcmp("mu", TheGVName) == 0) {
    SetGvValue(mu, *static_cast<double*>(TheGVValue));
  } else {
    std::cerr << "!! REPAIR_STUDYSetStudy::OverrideGVValue: Global Variable " << TheGVName << " does not exist."
              << std::endl;
  }
}
