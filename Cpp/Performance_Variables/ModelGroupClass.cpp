#include "Performance_Variables/ModelGroupClass.h"

ModelGroupClass::ModelGroupClass() : ModelList(nullptr), NumModels(0) {}

ModelGroupClass::~ModelGroupClass() { delete[] ModelList; }

void ModelGroupClass::CreateModelList(int n) {
  delete[] ModelList;
  NumModels = n > 0 ? n : 0;
  ModelList = NumModels > 0 ? new BaseModelClass*[NumModels]() : nullptr;
}

void ModelGroupClass::SetModel(int i, BaseModelClass* model) {
  if (i >= 0 && i < NumModels) ModelList[i] = model;
}

bool ModelGroupClass::IsDependentOnModel(const BaseModelClass* model) const {
  for (int i = 0; i < NumModels; i++)
    if (ModelList[i] == model) return true;
  return false;
}
