// Written by hand.
#include "Study/MM1_STUDY/MM1_STUDYSetStudy.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "BaseClasses/KavrinEnums.h"
#include "Reward/MM1_REWARD/MM1_REWARDPVModel.h"

Double lambda;
Double mu;

static const char* const ExperimentNames[3] = {"rho_0.5", "rho_0.8", "rho_0.9"};

BaseStudyClass* GenerateStudy() {
  if (GlobalStudyPtr == nullptr) GlobalStudyPtr = new MM1_STUDYSetStudy();
  return GlobalStudyPtr;
}

void DestructStudy() {
  delete GlobalStudyPtr;
  GlobalStudyPtr = nullptr;
}

MM1_STUDYSetStudy::MM1_STUDYSetStudy() {
  NumGVs = 2;
  NumExps = 3;
  GVNames = new char*[NumGVs];
  GVTypes = new char*[NumGVs];
  GVNames[0] = strdup("lambda");
  GVTypes[0] = strdup("double");
  GVNames[1] = strdup("mu");
  GVTypes[1] = strdup("double");
  lambdaValues =
      new double[NumExps]{static_cast<double>(0.5), static_cast<double>(0.8), static_cast<double>(0.9)};
  muValues =
      new double[NumExps]{static_cast<double>(1.0), static_cast<double>(1.0), static_cast<double>(1.0)};
}

MM1_STUDYSetStudy::~MM1_STUDYSetStudy() {
  delete ThePVModel;
  delete[] lambdaValues;
  delete[] muValues;
}

PVModel* MM1_STUDYSetStudy::GetPVModel(bool expandTimeArrays) {
  delete ThePVModel;
  ThePVModel = new MM1_REWARDPVModel(expandTimeArrays);
  return ThePVModel;
}

// An experiment the study does not have would read past the value tables.
void MM1_STUDYSetStudy::SetGVs(int expNum) {
  if (expNum < 0 || static_cast<uint32_t>(expNum) >= NumExps) {
    std::cerr << "ERROR: MM1_STUDY has no experiment " << expNum << " (valid: 0 to " << NumExps - 1 << ")"
              << std::endl;
    std::exit(1);
  }
  SetGvValue(lambda, lambdaValues[expNum]);
  SetGvValue(mu, muValues[expNum]);
}

void MM1_STUDYSetStudy::PrintGlobalValues(int expNum) {
  if (NumGVs != 0) {
    SetGVs(expNum);
    std::cout << "The Global Variable values for experiment " << GetExpName(expNum)
              << (ExperimentNames[expNum][0] != '\0' ? " (" : "") << ExperimentNames[expNum]
              << (ExperimentNames[expNum][0] != '\0' ? ")" : "") << " are:" << std::endl;
    std::cout << "lambda\tdouble\t" << lambda << std::endl;
    std::cout << "mu\tdouble\t" << mu << std::endl;
  } else {
    std::cout << "There are no global variables." << std::endl;
  }
}

void* MM1_STUDYSetStudy::GetGVValue(char* TheGVName) {
  if (std::strcmp("lambda", TheGVName) == 0) return &lambda.mVar;
  if (std::strcmp("mu", TheGVName) == 0) return &mu.mVar;
  std::cerr << "!! MM1_STUDYSetStudy::GetGVValue: Global Variable " << TheGVName << " does not exist."
            << std::endl;
  return nullptr;
}

void MM1_STUDYSetStudy::OverrideGVValue(char* TheGVName, void* TheGVValue) {
  if (std::strcmp("lambda", TheGVName) == 0) {
    SetGvValue(lambda, *static_cast<double*>(TheGVValue));
  } else if (std::strcmp("mu", TheGVName) == 0) {
    SetGvValue(mu, *static_cast<double*>(TheGVValue));
  } else {
    std::cerr << "!! MM1_STUDYSetStudy::OverrideGVValue: Global Variable " << TheGVName << " does not exist."
              << std::endl;
  }
}
