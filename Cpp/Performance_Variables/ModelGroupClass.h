// The model instances one worker reads, one slot per model name. Owns the slot array, borrows the models.
#ifndef MODEL_GROUP_CLASS_H
#define MODEL_GROUP_CLASS_H

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
