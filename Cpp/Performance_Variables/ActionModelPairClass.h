// One (model name, action name) pair naming the action whose firings earn an impulse. Owns both copies.
#ifndef ACTION_MODEL_PAIR_CLASS_H
#define ACTION_MODEL_PAIR_CLASS_H

#include "Performance_Variables/NamePair.h"

class ActionModelPairClass : public NamePair {
 public:
  void SetPair(const char* TheActionName, const char* TheModelName) { Set(TheActionName, TheModelName); }
  const char* ActionName() const { return Name; }
};

#endif
