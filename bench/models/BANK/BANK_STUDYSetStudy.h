// Set study BANK_STUDY: three sizes of the bank, queues = 5, 500 and 50,000 (10, 1,000 and
// 100,000 timed activities), lambda = 0.9, mu = 1; the batch length is chosen so that every
// batch holds about a million firings whatever the size. Defines the global variables.
#ifndef BANK_STUDYSETSTUDY_H
#define BANK_STUDYSETSTUDY_H

#include "Study/BaseStudyClass.h"

class BANK_STUDYSetStudy : public BaseStudyClass {
 public:
  BANK_STUDYSetStudy();
  ~BANK_STUDYSetStudy() override;
  PVModel* GetPVModel(bool expandTimeArrays) override;
  void SetGVs(int expNum) override;
  void PrintGlobalValues(int expNum) override;
  void* GetGVValue(char* TheGVName) override;
  void OverrideGVValue(char* TheGVName, void* TheGVValue) override;

  int* queuesValues;
  double* batchValues;
};

#endif
