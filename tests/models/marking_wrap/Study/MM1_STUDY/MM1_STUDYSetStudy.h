// Set study MM1_STUDY, written by hand: 3 experiments; builds reward model MM1_REWARD and defines the global
// variables.
#ifndef MM1_STUDYSETSTUDY_H
#define MM1_STUDYSETSTUDY_H

#include <cstdint>

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
