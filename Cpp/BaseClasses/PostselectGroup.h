// PostselectGroup: a group timed by its first member that chooses which member fires only when
// it fires. The generated model uses one per activity with cases.
#ifndef KAVRIN_BASECLASSES_POSTSELECTGROUP_H
#define KAVRIN_BASECLASSES_POSTSELECTGROUP_H

#include "BaseClasses/BaseGroupClass.h"

class PostselectGroup : public BaseGroupClass {
 public:
  PostselectGroup();

  double Weight() override;
  bool ReactivationPredicate() override;
  bool ReactivationFunction() override;
  double SampleDistribution() override;
  BaseActionClass* Fire() override;
  int Rank() override;
};

#endif
