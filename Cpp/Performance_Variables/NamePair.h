// NamePair: two owned names, a model's and one inside it (an action, a state variable). The one
// body behind ActionModelPairClass and VarModelPairClass.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_NAMEPAIR_H
#define KAVRIN_PERFORMANCE_VARIABLES_NAMEPAIR_H

class NamePair {
 public:
  char* ModelName = nullptr;

  NamePair() = default;
  ~NamePair();
  NamePair(const NamePair&) = delete;
  NamePair& operator=(const NamePair&) = delete;

 protected:
  // Replaces both names with copies (null stays null).
  void Set(const char* name, const char* modelName);
  char* Name = nullptr;
};

#endif
