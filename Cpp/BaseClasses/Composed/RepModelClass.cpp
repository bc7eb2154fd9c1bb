#include "BaseClasses/Composed/RepModelClass.h"

ModelType RepModelClass::GetModelType() { return RepModel; }
