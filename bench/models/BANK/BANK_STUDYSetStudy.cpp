#include "bench/models/BANK/BANK_STUDYSetStudy.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "bench/models/BANK/BANK_REWARDPVModel.h"

Int queues;
Double lambda;
Double mu;
Double batch;

BaseStudyClass* GenerateStudy() {
  if (GlobalStudyPtr == nullptr) GlobalStudyPtr = new BANK_STUDYSetStudy();
  return GlobalStudyPtr;
}

void DestructStudy() {
  delete GlobalStudyPtr;
  GlobalStudyPtr = nullptr;
}

namespace {
const char* const kNames[4] = {"queues", "lambda", "mu", "batch"};
const char* const kTypes[4] = {"int", "double", "double", "double"};
}  // namespace

BANK_STUDYSetStudy::BANK_STUDYSetStudy() {
  NumGVs = 4;
  NumExps = 3;
  GVNames = new char*[NumGVs];
  GVTypes = new char*[NumGVs];
  for (int i = 0; i < 4; i++) {
    GVNames[i] = strdup(kNames[i]);
    GVTypes[i] = strdup(kTypes[i]);
  }
  queuesValues = new int[NumExps]{5, 500, 50000};
  // Each queue fires about 2 * 0.9 times per time unit.
  batchValues = new double[NumExps]{1e6 / 9.0, 1e4 / 9.0, 1e2 / 9.0};
}

BANK_STUDYSetStudy::~BANK_STUDYSetStudy() {
  delete ThePVModel;
  delete[] queuesValues;
  delete[] batchValues;
}

PVModel* BANK_STUDYSetStudy::GetPVModel(bool expandTimeArrays) {
  delete ThePVModel;
  ThePVModel = new BANK_REWARDPVModel(expandTimeArrays);
  return ThePVModel;
}

void BANK_STUDYSetStudy::SetGVs(int expNum) {
  if (expNum < 0 || static_cast<uint32_t>(expNum) >= NumExps) {
    std::cerr << "ERROR: BANK_STUDY has no experiment " << expNum << " (valid: 0 to " << NumExps - 1 << ")"
              << std::endl;
    std::exit(1);
  }
  SetGvValue(queues, queuesValues[expNum]);
  SetGvValue(lambda, 0.9);
  SetGvValue(mu, 1.0);
  SetGvValue(batch, batchValues[expNum]);
}

void BANK_STUDYSetStudy::PrintGlobalValues(int expNum) {
  SetGVs(expNum);
  std::cout << "The Global Variable values for experiment " << GetExpName(expNum) << " are:" << std::endl;
  std::cout << "queues\tint\t" << queues << std::endl;
  std::cout << "lambda\tdouble\t" << lambda << std::endl;
  std::cout << "mu\tdouble\t" << mu << std::endl;
  std::cout << "batch\tdouble\t" << batch << std::endl;
}

void* BANK_STUDYSetStudy::GetGVValue(char* TheGVName) {
  if (std::strcmp("queues", TheGVName) == 0) return &queues.mVar;
  if (std::strcmp("lambda", TheGVName) == 0) return &lambda.mVar;
  if (std::strcmp("mu", TheGVName) == 0) return &mu.mVar;
  if (std::strcmp("batch", TheGVName) == 0) return &batch.mVar;
  std::cerr << "!! BANK_STUDYSetStudy::GetGVValue: Global Variable " << TheGVName << " does not exist."
            << std::endl;
  return nullptr;
}

void BANK_STUDYSetStudy::OverrideGVValue(char* TheGVName, void* TheGVValue) {
  if (std::strcmp("queues", TheGVName) == 0) {
    SetGvValue(queues, *static_cast<int*>(TheGVValue));
  } else if (std::strcmp("lambda", TheGVName) == 0) {
    SetGvValue(lambda, *static_cast<double*>(TheGVValue));
  } else if (std::strcmp("mu", TheGVName) == 0) {
    SetGvValue(mu, *static_cast<double*>(TheGVValue));
  } else if (std::strcmp("batch", TheGVName) == 0) {
    SetGvValue(batch, *static_cast<double*>(TheGVValue));
  } else {
    std::cerr << "!! BANK_STUDYSetStudy::OverrideGVValue: Global Variable " << TheGVName << " does not exist."
              << std::endl;
  }
}
