// BaseModelClass: the interface of every model, a named container of state variables, actions
// and groups that can save, restore and compare its state as a flat byte image. The atomic SAN
// model implements it; the reward model wraps one and implements it by forwarding.
// Its name is interned (KavrinName.h). Who owns GroupList and ActionList depends on the kind of model.
#ifndef KAVRIN_BASECLASSES_BASEMODELCLASS_H
#define KAVRIN_BASECLASSES_BASEMODELCLASS_H

#include <forward_list>
#include <iostream>

#include "BaseClasses/KavrinEnums.h"
#include "BaseClasses/List.h"

class BaseActionClass;
class BaseGroupClass;
class BaseStateVariableClass;
class SharedStateVarLink;
class State;

// Actions collected by GetLocalActions/GetGlobalActions; insertion is at the front.
typedef std::forward_list<BaseActionClass*> base_action_list_t;

class BaseModelClass {
 public:
  int NumStateVariables;
  int NumSharedStateVariables;
  int NumActions;
  int NumGroups;
  BaseGroupClass** GroupList;
  const char* Name;  // interned (KavrinName.h): the copies of a replicate share one text
  int Id;
  int ParentId;
  int NumPVs;
  BaseActionClass** ActionList;

  // Simulated time of the most recent firing, process-wide.
  static double LastActionTime;

  BaseModelClass();

  BaseModelClass(const BaseModelClass&) = delete;
  BaseModelClass& operator=(const BaseModelClass&) = delete;

  virtual ~BaseModelClass();
  virtual int getNumStateVariables();
  virtual void listModels(const char* name, List<BaseModelClass>* models) = 0;
  virtual void CurrentState(void* buffer) = 0;
  virtual void listActions(List<BaseActionClass>* actions) = 0;
  virtual void listGroups(List<BaseGroupClass>* groups) = 0;
  virtual void SetState(void* buffer) = 0;
  virtual int StateSize() = 0;
  virtual bool CompareState(void* s1, void* s2) = 0;
  virtual void listActions(const char* name, List<BaseActionClass>* actions) = 0;
  virtual void listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
                       List<BaseModelClass>* modelList) = 0;
  virtual void printState(std::ostream* s);
  virtual void printState();
  // Once the model is assembled: every state variable of the model and of its children gives back
  // the records that joining variables needs (SharableSV). Nothing may be joined afterwards.
  virtual void ReleaseSharingRecords();
  virtual BaseStateVariableClass** GetLocalStateVariables(std::ostream* s);
  virtual BaseStateVariableClass** GetSharedStateVariables();
  virtual BaseStateVariableClass* getMainSharedVariable(BaseStateVariableClass* sv);
  virtual SharedStateVarLink* getListOfSharedVariables(BaseStateVariableClass* sv);
  virtual void AddAffectArc(BaseStateVariableClass* sv, BaseActionClass* a);
  virtual void AddEnableArc(BaseStateVariableClass* sv, BaseActionClass* a);
  virtual ModelType GetModelType();
  virtual int GetNumberOfChildren();
  virtual BaseModelClass* GetChild(int i);
  virtual void GetLocalActions(base_action_list_t& list);
  virtual void GetGlobalActions(base_action_list_t& list);
  virtual bool HasLocalState();
  virtual void GetLocalState(State* s);
  virtual void SetLocalState(const State* s);
  virtual void ConstructLocalState(State*& s);
  virtual void DestructLocalState(State* s);

  int getNumActions() const { return NumActions; }
  int getNumSharedStateVariables() const { return NumSharedStateVariables; }
  BaseActionClass** getActionList() const { return ActionList; }
  BaseGroupClass** getGroupList() const { return GroupList; }
  int getNumGroups() const { return NumGroups; }
  const char* getName() const { return Name; }
  int getId() const { return Id; }
  int getParentId() const { return ParentId; }
  void SetParentId(int id) { ParentId = id; }
  void DefineName(const char* name);
};

#endif
