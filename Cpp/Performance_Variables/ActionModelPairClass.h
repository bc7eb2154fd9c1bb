// One (model name, action name) pair naming the action whose firings earn an impulse. Owns both copies.
#ifndef ACTION_MODEL_PAIR_CLASS_H
#define ACTION_MODEL_PAIR_CLASS_H

class ActionModelPairClass {
 public:
  char* ModelName;
  char* ActionName;

  ActionModelPairClass();
  ~ActionModelPairClass();
  void SetPair(const char* TheActionName, const char* TheModelName);

  ActionModelPairClass(const ActionModelPairClass&) = delete;
  ActionModelPairClass& operator=(const ActionModelPairClass&) = delete;
};

#endif
