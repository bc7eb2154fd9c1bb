// CaseProbabilities: the case groups of a model whose members' weights are probabilities that read
// the marking, so that a checked build can stop where they fail to sum to 1 (a plain run divides
// by their sum and goes on). A generated model declares such groups when it builds them and
// withdraws them when it is destroyed; nothing else reads the register.
#ifndef KAVRIN_BASECLASSES_CASEPROBABILITIES_H
#define KAVRIN_BASECLASSES_CASEPROBABILITIES_H

class BaseGroupClass;

class CaseProbabilities {
 public:
  static void Declare(BaseGroupClass* group);
  static void Withdraw(BaseGroupClass* group);
  static bool Declared(const BaseGroupClass* group);
  // How far the sum of probabilities may stray from 1 before it counts as wrong: room for the
  // rounding of a few additions, never for a misplaced term.
  static constexpr double Tolerance = 1e-9;
};

#endif
