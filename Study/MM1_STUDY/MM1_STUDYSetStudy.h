// Set study MM1_STUDY: three experiments over the global variables lambda and mu of the atomic
// model MM1 (lambda = 0.5, 0.8, 0.9; mu = 1); builds reward model MM1_REWARD. Defines the
// global variables themselves.
#ifndef MM1_STUDYSETSTUDY_H
#define MM1_STUDYSETSTUDY_H

#include "Study/BaseStudyClass.h"

class MM1_STUDYSetStudy : public BaseStudyClass {
 public:
  MM1_STUDYSetStudy();
  ~MM1_STUDYSetStudy() override;
  PVModel* GetPVModel(bool expandTimeArrays) override;
  void SetGVs(int expNum) override;
  void PrintGlobalValues(int expNum) override;
  void* GetGVValue(char* TheGVName) override;
  void OverrideGVValue(char* TheGVName, void* TheGVValue) override;

  double* lambdaValues;
  double* muValues;
};

#endif
