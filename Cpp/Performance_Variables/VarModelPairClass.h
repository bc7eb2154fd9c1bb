// One (model name, state variable name) pair that a rate reward reads. Owns both copies.
#ifndef VAR_MODEL_PAIR_CLASS_H
#define VAR_MODEL_PAIR_CLASS_H

#include "Performance_Variables/NamePair.h"

class VarModelPairClass : public NamePair {
 public:
  // Note the argument order: variable first.
  void SetPair(const char* TheVarName, const char* TheModelName) { Set(TheVarName, TheModelName); }
  const char* VarName() const { return Name; }
};

#endif
