// One (model name, state variable name) pair that a rate reward reads. Owns both copies.
#ifndef VAR_MODEL_PAIR_CLASS_H
#define VAR_MODEL_PAIR_CLASS_H

class VarModelPairClass {
 public:
  char* ModelName;
  char* VarName;

  VarModelPairClass();
  ~VarModelPairClass();
  // Note the argument order: variable first.
  void SetPair(const char* TheVarName, const char* TheModelName);

  VarModelPairClass(const VarModelPairClass&) = delete;
  VarModelPairClass& operator=(const VarModelPairClass&) = delete;
};

#endif
