// The reward model: the object the simulator drives. It wraps the atomic model (owned), owns the
// performance variable nodes, and at construction records on every action of the atomic model which
// variables, rate workers and impulse workers its firings touch. At run time it accumulates rewards
// before each firing, fires, and remembers the last action, whose index it appends to the model's
// state image. Model queries are forwarded to the wrapped model.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_PVMODEL_H
#define KAVRIN_PERFORMANCE_VARIABLES_PVMODEL_H

#include <iosfwd>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "Performance_Variables/PerformanceVariableNode.h"

class BaseGroupClass;
class BaseStateVariableClass;
class FastSet;

class PVModel : public BaseModelClass {
 public:
  PerformanceVariableNode** PerformanceVariableList;
  int Number_Of_Performance_Variables;
  int Trace;
  BaseModelClass* TheModel;
  BaseActionClass* LastAction;
  BaseActionClass** PVListOfActions;
  double Simulation_Stop_Time;
  BaseActionClass** AffectingActions;
  FastSet** ListOfAffectedLists;
  int NumAffectingActions;
  int NumActionsWithImpulseAffects;
  int TotalNumAffectingActions;
  int PVStateIndexLength;
  int ModelStateSize;
  int PVModelStateSize;
  int AdditionalStateSize;
  int StateMode;
  BaseActionClass** PVStateIndex;
  BaseActionClass ZeroImpulseAction;
  BaseActionClass StateLastAction;
  std::vector<PerformanceVariableNode*> RelevantNodes;

  PVModel();
  ~PVModel() override;

  void listModels(const char* TheModelName, List<BaseModelClass>* TheContainer) override;
  void CurrentState(void* Location) override;
  void listActions(List<BaseActionClass>* TheContainer) override;
  void listGroups(List<BaseGroupClass>* TheContainer) override;
  void ReleaseSharingRecords() override;
  void SetState(void* TheState) override;
  int StateSize() override;
  bool CompareState(void* state1, void* state2) override;
  void listActions(const char* TheActionName, List<BaseActionClass>* TheContainer) override;
  void listSVs(const char* TheModelName, const char* TheSVName, List<BaseStateVariableClass>* TheSVContainer,
               List<BaseModelClass>* TheModelContainer) override;
  void printState(std::ostream* s) override;
  using BaseModelClass::printState;
  virtual PerformanceVariableNode* createPVNode(int pvindex, int timeindex) = 0;

  void CreatePVList(int numPVs, bool expandtimearrays);
  void Initialize();
  // The nodes this run considers: NodeIndices[0..size), or every node when NodeIndices is null
  // and size is above 0. A size of 0 selects none.
  void ConsiderOnly(const int* NodeIndices, int size);
  void Accumulate(double new_time);
  BaseActionClass* FireAction(BaseActionClass* TheAction, double FiringTime);
  void EndAccumulate(double finish_time);
  void PVReset();
  void SteadyState();
  void FireAction(void* TheState, BaseActionClass* TheAction);
  void AgeAction(char* TheState, BaseActionClass* TheAction);
  void PutPVState(void* PVStatePntr);
  void RemakeAffectedLists() {}

  void GetPVState(void* Location);
  int StateIndexLookup(const void* Location) const;
  static int BytesFor(int TheNumber);
  // Returns false (after a message on standard error) when the file cannot be written.
  bool WritePVTypeFile(const char* filename);

  int getNumPVs() const { return Number_Of_Performance_Variables; }
  PerformanceVariableNode* getPV(int i) const { return PerformanceVariableList[i]; }
  double getSimulationStopTime() const { return Simulation_Stop_Time; }
  BaseModelClass* getTheModel() const { return TheModel; }

 protected:
  void Destruct();
  void MakeAffectedLists();
  void MakeImpulseAffectedLists();
  void CreateAffectedLists();
  void CreatePVStateIndex();

 private:
  // Gives the action its rate (or impulse) structures for every variable if it has none yet.
  bool EnsureRateDS(BaseActionClass* action);
  bool EnsureImpulseDS(BaseActionClass* action);
  void FreeImpulseWorkers(BaseActionClass* action);
  BaseActionClass* ActionAt(int index) const;
};

#endif
