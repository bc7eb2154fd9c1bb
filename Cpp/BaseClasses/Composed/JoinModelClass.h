// JoinModelClass: a join: different submodels side by side, sharing the places the composition names.
// Everything but its kind is ComposedModelClass's.
#ifndef KAVRIN_BASECLASSES_COMPOSED_JOINMODELCLASS_H
#define KAVRIN_BASECLASSES_COMPOSED_JOINMODELCLASS_H

#include "BaseClasses/Composed/ComposedModelClass.h"

class JoinModelClass : public ComposedModelClass {
 public:
  explicit JoinModelClass(const char* name) : ComposedModelClass(name) {}
  ModelType GetModelType() override;
};

#endif
