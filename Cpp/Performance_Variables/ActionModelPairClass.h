// One (model name, action name) pair naming the action whose firings earn an impulse. Owns both copies.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_ACTIONMODELPAIRCLASS_H
#define KAVRIN_PERFORMANCE_VARIABLES_ACTIONMODELPAIRCLASS_H

#include "Performance_Variables/NamePair.h"

class ActionModelPairClass : public NamePair {
 public:
  void SetPair(const char* TheActionName, const char* TheModelName) { Set(TheActionName, TheModelName); }
  const char* ActionName() const { return Name; }
};

#endif
