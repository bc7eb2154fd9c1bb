// Set study REPAIR_STUDY: three experiments over the global variables N, lambda and mu of the
// atomic model Repairman (N = 10, mu = 1; lambda = 0.05, 0.1, 0.2); builds reward model
// REPAIR_REWARD. Defines the global variables themselves.
#ifndef REPAIR_STUDYSETSTUDY_H
#define REPAIR_STUDYSETSTUDY_H

#include "Study/BaseStudyClass.h"

class REPAIR_STUDYSetStudy : public BaseStudyClass {
 public:
  REPAIR_STUDYSetStudy();
  ~REPAIR_STUDYSetStudy() override;
  PVModel* GetPVModel(bool expandTimeArrays) override;
  void SetGVs(int expNum) override;
  void PrintGlobalValues(int expNum) override;
  void* GetGVValue(char* TheGVName) override;
  void OverrideGVValue(char* TheGVName, void* TheGVValue) override;

  int* NValues;
  double* lambdaValues;
  double* muValues;
};

#endif
