#include "Study/ERLANG_STUDY/ERLANG_STUDYSetStudy.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "BaseClasses/KavrinEnums.h"
#include "Reward/ERLANG_REWARD/ERLANG_REWARDPVModel.h"

Int c;
Double lambda;
Int service_dist;

BaseStudyClass* GenerateStudy() {
  if (GlobalStudyPtr == nullptr) GlobalStudyPtr = new ERLANG_STUDYSetStudy();
  return GlobalStudyPtr;
}

void DestructStudy() {
  delete GlobalStudyPtr;
  GlobalStudyPtr = nullptr;
}

ERLANG_STUDYSetStudy::ERLANG_STUDYSetStudy() {
  NumGVs = 3;
  NumExps = 6;
  GVNames = new char*[NumGVs];
  GVTypes = new char*[NumGVs];
  GVNames[0] = strdup("c");
  GVTypes[0] = strdup("int");
  GVNames[1] = strdup("lambda");
  GVTypes[1] = strdup("double");
  GVNames[2] = strdup("service_dist");
  GVTypes[2] = strdup("int");
  cValues = new int[NumExps]{5, 5, 5, 5, 5, 5};
  lambdaValues = new double[NumExps]{4.0, 4.0, 4.0, 4.0, 4.0, 4.0};
  service_distValues = new int[NumExps]{Exponential, Deterministic, Uniform, Gamma, Lognormal, Erlang};
}

ERLANG_STUDYSetStudy::~ERLANG_STUDYSetStudy() {
  delete ThePVModel;
  delete[] cValues;
  delete[] lambdaValues;
  delete[] service_distValues;
}

PVModel* ERLANG_STUDYSetStudy::GetPVModel(bool expandTimeArrays) {
  delete ThePVModel;
  ThePVModel = new ERLANG_REWARDPVModel(expandTimeArrays);
  return ThePVModel;
}

// An experiment the study does not have would read past the value tables.
void ERLANG_STUDYSetStudy::SetGVs(int expNum) {
  if (expNum < 0 || static_cast<uint32_t>(expNum) >= NumExps) {
    std::cerr << "ERROR: ERLANG_STUDY has no experiment " << expNum << " (valid: 0 to " << NumExps - 1 << ")"
              << std::endl;
    std::exit(1);
  }
  SetGvValue(c, cValues[expNum]);
  SetGvValue(lambda, lambdaValues[expNum]);
  SetGvValue(service_dist, service_distValues[expNum]);
}

void ERLANG_STUDYSetStudy::PrintGlobalValues(int expNum) {
  if (NumGVs != 0) {
    SetGVs(expNum);
    std::cout << "The Global Variable values for experiment " << GetExpName(expNum) << " are:" << std::endl;
    std::cout << "c\tint\t" << c << std::endl;
    std::cout << "lambda\tdouble\t" << lambda << std::endl;
    std::cout << "service_dist\tint\t" << service_dist << std::endl;
  } else {
    std::cout << "There are no global variables." << std::endl;
  }
}

void* ERLANG_STUDYSetStudy::GetGVValue(char* TheGVName) {
  if (std::strcmp("c", TheGVName) == 0) return &c.mVar;
  if (std::strcmp("lambda", TheGVName) == 0) return &lambda.mVar;
  if (std::strcmp("service_dist", TheGVName) == 0) return &service_dist.mVar;
  std::cerr << "!! ERLANG_STUDYSetStudy::GetGVValue: Global Variable " << TheGVName << " does not exist."
            << std::endl;
  return nullptr;
}

void ERLANG_STUDYSetStudy::OverrideGVValue(char* TheGVName, void* TheGVValue) {
  if (std::strcmp("c", TheGVName) == 0) {
    SetGvValue(c, *static_cast<int*>(TheGVValue));
  } else if (std::strcmp("lambda", TheGVName) == 0) {
    SetGvValue(lambda, *static_cast<double*>(TheGVValue));
  } else if (std::strcmp("service_dist", TheGVName) == 0) {
    SetGvValue(service_dist, *static_cast<int*>(TheGVValue));
  } else {
    std::cerr << "!! ERLANG_STUDYSetStudy::OverrideGVValue: Global Variable " << TheGVName << " does not exist."
              << std::endl;
  }
}
