// Set study ERLANG_STUDY: six experiments over the global variables c, lambda and service_dist
// of the atomic model ErlangLoss (c = 5, lambda = 4, and one service distribution of mean 1 per
// experiment: Exponential, Deterministic, Uniform, Gamma, Lognormal, Erlang); builds reward model
// ERLANG_REWARD. Defines the global variables themselves.
#ifndef ERLANG_STUDYSETSTUDY_H
#define ERLANG_STUDYSETSTUDY_H

#include "Study/BaseStudyClass.h"

class ERLANG_STUDYSetStudy : public BaseStudyClass {
 public:
  ERLANG_STUDYSetStudy();
  ~ERLANG_STUDYSetStudy() override;
  PVModel* GetPVModel(bool expandTimeArrays) override;
  void SetGVs(int expNum) override;
  void PrintGlobalValues(int expNum) override;
  void* GetGVValue(char* TheGVName) override;
  void OverrideGVValue(char* TheGVName, void* TheGVValue) override;

  int* cValues;
  double* lambdaValues;
  int* service_distValues;
};

#endif
