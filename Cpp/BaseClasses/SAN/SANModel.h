// SANModel: the atomic SAN model. A generated model derives from it, builds its places,
// activities and groups, and hands them over through initializeSANModelNow; every state,
// listing and printing operation then works from those arrays.
// Owns its four pointer arrays, never the objects they point to.
#ifndef KAVRIN_BASECLASSES_SAN_SANMODEL_H
#define KAVRIN_BASECLASSES_SAN_SANMODEL_H

#include <cstdio>
#include <iostream>
#include <vector>

#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/State.h"

class Activity;

class SANModel : public BaseModelClass {
 public:
  BaseStateVariableClass** LocalStateVariables;
  BaseStateVariableClass** ReadOnlyPlaces;
  int NumReadOnlyPlaces;

  // One saved state image of a SANModel: size bytes, owned.
  class LocalState : public State {
   public:
    char* state;
    int size;

    explicit LocalState(SANModel* model);
    ~LocalState() override;

    int hash() const override;
    int compare(const State& other) const override;
    void print() const override;
    int fwriteState(FILE* f) const override;
    int freadState(FILE* f) override;
    State& operator=(const State& other) override;
    LocalState& operator=(const LocalState& other) {
      *this = static_cast<const State&>(other);
      return *this;
    }
    void SetState(const BaseModelClass* model) const override;
    void GetState(const BaseModelClass* model) override;
    void* GetStatePtr() override { return state; }
  };

  SANModel();
  SANModel(const char* name, int nPlaces, BaseStateVariableClass** places, int nReadOnly,
           BaseStateVariableClass** readOnly, int nActions, Activity** actions, int nGroups,
           BaseGroupClass** groups);
  ~SANModel() override;

  void initializeSANModelNow(const char* name, int nPlaces, BaseStateVariableClass** places, int nReadOnly,
                             BaseStateVariableClass** readOnly, int nActions, Activity** actions, int nGroups,
                             BaseGroupClass** groups);
  void SetPlaces(BaseStateVariableClass** places);
  void SetReadOnlyPlaces(BaseStateVariableClass** places);
  void SetActions(Activity** actions);
  void SetGroups(BaseGroupClass** groups);
  int getNumReadOnlyPlaces() const { return NumReadOnlyPlaces; }

  void listModels(const char* name, List<BaseModelClass>* models) override;
  void CurrentState(void* buffer) override;
  void listActions(List<BaseActionClass>* actions) override;
  void listGroups(List<BaseGroupClass>* groups) override;
  void SetState(void* buffer) override;
  int StateSize() override;
  bool CompareState(void* s1, void* s2) override;
  void listActions(const char* name, List<BaseActionClass>* actions) override;
  void listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
               List<BaseModelClass>* modelList) override;
  using BaseModelClass::printState;
  void printState(std::ostream* s) override;
  BaseStateVariableClass** GetLocalStateVariables(std::ostream* s) override;
  ModelType GetModelType() override;
  void ReleaseSharingRecords() override;
  int GetNumberOfChildren() override;
  BaseModelClass* GetChild(int i) override;
  void GetLocalActions(base_action_list_t& list) override;
  void GetGlobalActions(base_action_list_t& list) override;
  bool HasLocalState() override;
  void GetLocalState(State* s) override;
  void SetLocalState(const State* s) override;
  void ConstructLocalState(State*& s) override;
  void DestructLocalState(State* s) override;

  void PrintSANModelInfo();

 protected:
  int numLocalVariables() const;

 private:
  // One step of the copy plan of the image: either a value cell copied byte for byte, or (cell
  // null) a variable whose own SetState/CurrentState is asked.
  struct ImageStep {
    char* cell;
    BaseStateVariableClass* variable;
    int size;
  };
  // Restoring the initial state every replication is the hottest use of the image; the plan
  // turns it into a few fixed-size copies instead of two virtual calls per variable.
  std::vector<ImageStep> ImagePlan;
  unsigned long ImagePlanEpoch = 0;
  bool ImagePlanBuilt = false;
  const std::vector<ImageStep>& imagePlan();
  void buildImagePlan();
};

#endif
