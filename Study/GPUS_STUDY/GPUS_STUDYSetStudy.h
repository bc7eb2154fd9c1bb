// Set study GPUS_STUDY: one experiment, no global variables; builds reward model GPU_REWARD.
#ifndef GPUS_STUDYSETSTUDY_H
#define GPUS_STUDYSETSTUDY_H

#include "Study/BaseStudyClass.h"

class GPUS_STUDYSetStudy : public BaseStudyClass {
 public:
  GPUS_STUDYSetStudy();
  ~GPUS_STUDYSetStudy() override;
  PVModel* GetPVModel(bool expandTimeArrays) override;
  void SetGVs(int expNum) override;
  void PrintGlobalValues(int expNum) override;
  void* GetGVValue(char* TheGVName) override;
  void OverrideGVValue(char* TheGVName, void* TheGVValue) override;
};

#endif
