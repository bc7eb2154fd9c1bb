// RepModelClass: a replicate: copies of one submodel, sharing the places the composition names and keeping
// the others their own. Everything but its kind is ComposedModelClass's.
#ifndef KAVRIN_BASECLASSES_COMPOSED_REPMODELCLASS_H
#define KAVRIN_BASECLASSES_COMPOSED_REPMODELCLASS_H

#include "BaseClasses/Composed/ComposedModelClass.h"

class RepModelClass : public ComposedModelClass {
 public:
  explicit RepModelClass(const char* name) : ComposedModelClass(name) {}
  ModelType GetModelType() override;
};

#endif
