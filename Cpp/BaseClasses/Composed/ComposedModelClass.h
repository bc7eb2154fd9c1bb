// ComposedModelClass: what the two kinds of composed model (a join of different submodels, a
// replicate of copies of one) have in common. It owns its children, joins their places by equivalence
// sharing, and presents the whole tree to the simulator as one model: the concatenation of its
// children's actions and groups (with every action's group number moved to its place in the
// concatenated list), one state image in which a shared place is stored once, and the listing
// operations by model name or instance path, so a reward names one instance by its path
// ("Farm.Server[3]") or every instance of a submodel by the submodel's name. The whole tree also
// records, for the tools that describe a study, which instances each reward variable reads.
#ifndef KAVRIN_BASECLASSES_COMPOSED_COMPOSEDMODELCLASS_H
#define KAVRIN_BASECLASSES_COMPOSED_COMPOSEDMODELCLASS_H

#include <map>
#include <string>
#include <vector>

#include "BaseClasses/BaseModelClass.h"

class SANModel;

class ComposedModelClass : public BaseModelClass {
 public:
  // name: the model's instance path, which is also its name.
  explicit ComposedModelClass(const char* name);
  ~ComposedModelClass() override;

  // Takes ownership of a child built at the given instance path.
  void Adopt(BaseModelClass* child, const std::string& path);
  // Joins the places into one cell (holding the marking of the first of them); every action of every child
  // that reads or changes any of them now reads or changes the one cell.
  void Share(const std::vector<BaseStateVariableClass*>& places);
  // A place this model offers its parent for sharing, under the name it was shared by.
  void Export(const std::string& name, BaseStateVariableClass* place);
  BaseStateVariableClass* Exported(const std::string& name) const;
  // Builds the action and group lists and the state image once every child is adopted and every
  // place shared. Called last by the constructor of each composed model.
  void Finish();

  const std::string& ChildPath(int i) const { return Paths[static_cast<size_t>(i)]; }

  // The instances a reward variable reads: `Over` is a submodel's name (every instance of it, their
  // rewards summed, or averaged when `Average`) or one instance's path.
  struct RewardScope {
    std::string Variable;
    std::string Over;
    bool Average = false;
  };
  void DescribeReward(const std::string& variable, const std::string& over, bool average);
  const std::vector<RewardScope>& RewardScopes() const { return Scopes; }
  // How many atomic instances `over` names in this tree (0 when it names none).
  int CountInstances(const std::string& over);
  // Whether `path` is the instance path of a node of this tree (rather than a submodel's name).
  bool IsInstancePath(const std::string& path);

  int GetNumberOfChildren() override;
  BaseModelClass* GetChild(int i) override;
  void ReleaseSharingRecords() override;

  void listModels(const char* name, List<BaseModelClass>* models) override;
  void listActions(List<BaseActionClass>* actions) override;
  void listGroups(List<BaseGroupClass>* groups) override;
  void listActions(const char* name, List<BaseActionClass>* actions) override;
  void listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
               List<BaseModelClass>* modelList) override;
  void CurrentState(void* buffer) override;
  void SetState(void* buffer) override;
  int StateSize() override;
  bool CompareState(void* s1, void* s2) override;
  void printState(std::ostream* s) override;

 private:
  std::vector<BaseModelClass*> Children;
  std::vector<std::string> Paths;
  std::map<std::string, BaseStateVariableClass*> Exports;
  std::vector<RewardScope> Scopes;
  // The variables of the state image in order: every unshared place of every atomic model below,
  // then each shared cell once (through the variable that stores it).
  std::vector<BaseStateVariableClass*> Image;
  int ImageSize = 0;

  void CollectImage(BaseModelClass* model, std::vector<BaseStateVariableClass*>& shared);
};

#endif
