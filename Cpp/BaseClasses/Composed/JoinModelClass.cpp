#include "BaseClasses/Composed/JoinModelClass.h"

ModelType JoinModelClass::GetModelType() { return JoinModel; }
