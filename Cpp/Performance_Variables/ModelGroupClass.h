// The model instances one worker reads, one slot per model name. Owns the slot array, borrows the models.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_MODELGROUPCLASS_H
#define KAVRIN_PERFORMANCE_VARIABLES_MODELGROUPCLASS_H

class BaseModelClass;

class ModelGroupClass {
 public:
  BaseModelClass** ModelList;
  int NumModels;

  ModelGroupClass();
  ~ModelGroupClass();
  void CreateModelList(int n);
  void SetModel(int i, BaseModelClass* model);
  bool IsDependentOnModel(const BaseModelClass* model) const;

  ModelGroupClass(const ModelGroupClass&) = delete;
  ModelGroupClass& operator=(const ModelGroupClass&) = delete;
};

#endif
