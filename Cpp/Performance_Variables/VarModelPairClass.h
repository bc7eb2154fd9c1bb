// One (model name, state variable name) pair that a rate reward reads. Owns both copies.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_VARMODELPAIRCLASS_H
#define KAVRIN_PERFORMANCE_VARIABLES_VARMODELPAIRCLASS_H

#include "Performance_Variables/NamePair.h"

class VarModelPairClass : public NamePair {
 public:
  // Note the argument order: variable first.
  void SetPair(const char* TheVarName, const char* TheModelName) { Set(TheVarName, TheModelName); }
  const char* VarName() const { return Name; }
};

#endif
