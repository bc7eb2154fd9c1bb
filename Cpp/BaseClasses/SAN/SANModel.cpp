#include "BaseClasses/SAN/SANModel.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>

#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/FinalOverrider.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/debug.h"
#include "BaseClasses/state/ArrayStateVariable.h"
#include "BaseClasses/state/SharableSV.h"

namespace {
// The first 256 primes; byte i of a state is weighted by entry i mod 256.
const uint32_t primes[256] = {
    2,    3,    5,    7,    11,   13,   17,   19,   23,   29,   31,   37,   41,   43,   47,   53,
    59,   61,   67,   71,   73,   79,   83,   89,   97,   101,  103,  107,  109,  113,  127,  131,
    137,  139,  149,  151,  157,  163,  167,  173,  179,  181,  191,  193,  197,  199,  211,  223,
    227,  229,  233,  239,  241,  251,  257,  263,  269,  271,  277,  281,  283,  293,  307,  311,
    313,  317,  331,  337,  347,  349,  353,  359,  367,  373,  379,  383,  389,  397,  401,  409,
    419,  421,  431,  433,  439,  443,  449,  457,  461,  463,  467,  479,  487,  491,  499,  503,
    509,  521,  523,  541,  547,  557,  563,  569,  571,  577,  587,  593,  599,  601,  607,  613,
    617,  619,  631,  641,  643,  647,  653,  659,  661,  673,  677,  683,  691,  701,  709,  719,
    727,  733,  739,  743,  751,  757,  761,  769,  773,  787,  797,  809,  811,  821,  823,  827,
    829,  839,  853,  857,  859,  863,  877,  881,  883,  887,  907,  911,  919,  929,  937,  941,
    947,  953,  967,  971,  977,  983,  991,  997,  1009, 1013, 1019, 1021, 1031, 1033, 1039, 1049,
    1051, 1061, 1063, 1069, 1087, 1091, 1093, 1097, 1103, 1109, 1117, 1123, 1129, 1151, 1153, 1163,
    1171, 1181, 1187, 1193, 1201, 1213, 1217, 1223, 1229, 1231, 1237, 1249, 1259, 1277, 1279, 1283,
    1289, 1291, 1297, 1301, 1303, 1307, 1319, 1321, 1327, 1361, 1367, 1373, 1381, 1399, 1409, 1423,
    1427, 1429, 1433, 1439, 1447, 1451, 1453, 1459, 1471, 1481, 1483, 1487, 1489, 1493, 1499, 1511,
    1523, 1531, 1543, 1549, 1553, 1559, 1567, 1571, 1579, 1583, 1597, 1601, 1607, 1609, 1613, 1619,
};
// True when sv's StateSize, SetState and CurrentState are Own's, so that no class below Own has
// given them other behaviour and the framework may copy the variable's cells itself.
typedef int (*SizeFn)(BaseStateVariableClass*);
typedef void (*CopyFn)(BaseStateVariableClass*, void*);
template <class Own>
bool rawStateIsOwn(BaseStateVariableClass* sv) {
  return KAVRIN_IS_OWN_OVERRIDER(sv, BaseStateVariableClass, Own, StateSize, SizeFn) &&
         KAVRIN_IS_OWN_OVERRIDER(sv, BaseStateVariableClass, Own, SetState, CopyFn) &&
         KAVRIN_IS_OWN_OVERRIDER(sv, BaseStateVariableClass, Own, CurrentState, CopyFn);
}

struct Cell {
  char* at;
  int size;
};

template <class C>
bool scalarCells(BaseStateVariableClass* sv, std::vector<Cell>& cells) {
  SharableSV<C>* scalar = dynamic_cast<SharableSV<C>*>(sv);
  if (scalar == nullptr) return false;
  if (!rawStateIsOwn<SharableSV<C>>(sv) && !rawStateIsOwn<ExtendedPlace<C>>(sv)) return false;
  if (scalar->getPointer() == nullptr) return false;
  cells.push_back({reinterpret_cast<char*>(scalar->getPointer()), static_cast<int>(sizeof(C))});
  return true;
}

// Appends the cells that hold sv's raw state in image order, when the raw state is nothing but
// those cells; otherwise returns false (cells may then hold a partial list).
bool plainCells(BaseStateVariableClass* sv, std::vector<Cell>& cells) {
  if (scalarCells<short>(sv, cells) || scalarCells<int>(sv, cells) || scalarCells<char>(sv, cells) ||
      scalarCells<bool>(sv, cells) || scalarCells<float>(sv, cells) || scalarCells<double>(sv, cells))
    return true;
  BaseArrayStateVariable* array = dynamic_cast<BaseArrayStateVariable*>(sv);
  if (array == nullptr || !rawStateIsOwn<BaseArrayStateVariable>(sv)) return false;
  for (BaseStateVariableClass* e : array->fields)
    if (e == nullptr || !plainCells(e, cells)) return false;
  return true;
}

inline void copyBytes(char* to, const char* from, int size) {
  switch (size) {
    case 2:
      std::memcpy(to, from, 2);
      break;
    case 4:
      std::memcpy(to, from, 4);
      break;
    case 8:
      std::memcpy(to, from, 8);
      break;
    default:
      std::memcpy(to, from, static_cast<size_t>(size));
      break;
  }
}

}  // namespace

SANModel::SANModel()
    : BaseModelClass(), LocalStateVariables(nullptr), ReadOnlyPlaces(nullptr), NumReadOnlyPlaces(0) {}

SANModel::SANModel(const char* name, int nPlaces, BaseStateVariableClass** places, int nReadOnly,
                   BaseStateVariableClass** readOnly, int nActions, Activity** actions, int nGroups,
                   BaseGroupClass** groups)
    : SANModel() {
  initializeSANModelNow(name, nPlaces, places, nReadOnly, readOnly, nActions, actions, nGroups, groups);
}

SANModel::~SANModel() {
  delete[] LocalStateVariables;
  delete[] ReadOnlyPlaces;
  delete[] ActionList;
  delete[] GroupList;
}

void SANModel::initializeSANModelNow(const char* name, int nPlaces, BaseStateVariableClass** places,
                                     int nReadOnly, BaseStateVariableClass** readOnly, int nActions,
                                     Activity** actions, int nGroups, BaseGroupClass** groups) {
  DefineName(name);
  NumStateVariables = nPlaces + nReadOnly;
  NumReadOnlyPlaces = nReadOnly;
  NumActions = nActions;
  NumGroups = nGroups;
  NumSharedStateVariables = 0;

  delete[] LocalStateVariables;
  LocalStateVariables = KavrinNewArray<BaseStateVariableClass*>(nPlaces);
  SetPlaces(places);
  delete[] ReadOnlyPlaces;
  ReadOnlyPlaces = KavrinNewArray<BaseStateVariableClass*>(nReadOnly);
  SetReadOnlyPlaces(readOnly);
  delete[] ActionList;
  ActionList = KavrinNewArray<BaseActionClass*>(nActions);
  SetActions(actions);
  delete[] GroupList;
  GroupList = KavrinNewArray<BaseGroupClass*>(nGroups);
  SetGroups(groups);
  ImagePlanBuilt = false;
}

int SANModel::numLocalVariables() const { return NumStateVariables - NumReadOnlyPlaces; }

void SANModel::SetPlaces(BaseStateVariableClass** places) {
  KAVRIN_CHECK(LocalStateVariables != nullptr, "SANModel", 141);
  for (int i = 0; i < numLocalVariables(); i++) {
    KAVRIN_CHECK(places != nullptr && places[i] != nullptr, "SANModel", 143);
    LocalStateVariables[i] = places[i];
  }
  ImagePlanBuilt = false;
}

void SANModel::SetReadOnlyPlaces(BaseStateVariableClass** places) {
  KAVRIN_CHECK(ReadOnlyPlaces != nullptr, "SANModel", 150);
  for (int i = 0; i < NumReadOnlyPlaces; i++) {
    KAVRIN_CHECK(places != nullptr && places[i] != nullptr, "SANModel", 152);
    ReadOnlyPlaces[i] = places[i];
  }
}

void SANModel::SetActions(Activity** actions) {
  KAVRIN_CHECK(ActionList != nullptr, "SANModel", 158);
  for (int i = 0; i < NumActions; i++) {
    KAVRIN_CHECK(actions != nullptr && actions[i] != nullptr, "SANModel", 160);
    ActionList[i] = actions[i];
    actions[i]->TheModel = this;
  }
}

void SANModel::SetGroups(BaseGroupClass** groups) {
  KAVRIN_CHECK(GroupList != nullptr, "SANModel", 167);
  for (int i = 0; i < NumGroups; i++) {
    KAVRIN_CHECK(groups != nullptr && groups[i] != nullptr, "SANModel", 169);
    GroupList[i] = groups[i];
    groups[i]->TheModel = this;
  }
}

void SANModel::listModels(const char* name, List<BaseModelClass>* models) {
  if (name != nullptr && Name != nullptr && std::strcmp(name, Name) == 0) models->append(this);
}

void SANModel::listActions(List<BaseActionClass>* actions) {
  for (int i = 0; i < NumActions; i++) actions->append(ActionList[i]);
}

void SANModel::listGroups(List<BaseGroupClass>* groups) {
  for (int i = 0; i < NumGroups; i++) groups->append(GroupList[i]);
}

void SANModel::listActions(const char* name, List<BaseActionClass>* actions) {
  if (name == nullptr) return;
  for (int i = 0; i < NumActions; i++) {
    if (std::strcmp(ActionList[i]->getName(), name) == 0) {
      actions->append(ActionList[i]);
      return;
    }
  }
}

void SANModel::listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
                       List<BaseModelClass>* modelList) {
  if (model == nullptr || variable == nullptr || Name == nullptr) return;
  if (std::strcmp(model, Name) != 0) return;
  for (int i = 0; i < numLocalVariables(); i++) {
    if (std::strcmp(LocalStateVariables[i]->getName(), variable) == 0) {
      svList->append(LocalStateVariables[i]);
      modelList->append(this);
    }
  }
  for (int i = 0; i < NumReadOnlyPlaces; i++) {
    if (std::strcmp(ReadOnlyPlaces[i]->getName(), variable) == 0) {
      svList->append(ReadOnlyPlaces[i]);
      modelList->append(this);
    }
  }
}

// The image holds every variable that keeps its own value, in model order. Sizing, writing and
// reading all select by the same flag, so an image always covers exactly the bytes it reserves,
// also for a sharing leader (which is both Stored and Shared).
int SANModel::StateSize() {
  int total = 0;
  for (int i = 0; i < numLocalVariables(); i++)
    if (LocalStateVariables[i]->getStored()) total += LocalStateVariables[i]->StateSize();
  return total;
}

void SANModel::buildImagePlan() {
  ImagePlan.clear();
  std::vector<Cell> cells;
  for (int i = 0; i < numLocalVariables(); i++) {
    BaseStateVariableClass* sv = LocalStateVariables[i];
    if (!sv->getStored()) continue;
    cells.clear();
    if (plainCells(sv, cells)) {
      for (const Cell& c : cells) ImagePlan.push_back({c.at, nullptr, c.size});
    } else {
      ImagePlan.push_back({nullptr, sv, 0});
    }
  }
  ImagePlanEpoch = BaseStateVariableClass::LayoutEpoch;
  ImagePlanBuilt = true;
}

const std::vector<SANModel::ImageStep>& SANModel::imagePlan() {
  if (!ImagePlanBuilt || ImagePlanEpoch != BaseStateVariableClass::LayoutEpoch) buildImagePlan();
  return ImagePlan;
}

// The copy helpers print their diagnostics at threshold 2, so the plan serves only runs without them.
void SANModel::CurrentState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  if (!KAVRIN_DEBUG_ON(2)) {
    for (const ImageStep& step : imagePlan()) {
      if (step.cell != nullptr) {
        copyBytes(at, step.cell, step.size);
        at += step.size;
      } else {
        step.variable->CurrentState(at);
        at += step.variable->StateSize();
      }
    }
    return;
  }
  for (int i = 0; i < numLocalVariables(); i++) {
    BaseStateVariableClass* sv = LocalStateVariables[i];
    if (!sv->getStored()) continue;
    sv->CurrentState(at);
    at += sv->StateSize();
  }
}

void SANModel::SetState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  if (!KAVRIN_DEBUG_ON(2)) {
    for (const ImageStep& step : imagePlan()) {
      if (step.cell != nullptr) {
        copyBytes(step.cell, at, step.size);
        at += step.size;
      } else {
        step.variable->SetState(at);
        at += step.variable->StateSize();
      }
    }
    return;
  }
  for (int i = 0; i < numLocalVariables(); i++) {
    BaseStateVariableClass* sv = LocalStateVariables[i];
    if (!sv->getStored()) continue;
    sv->SetState(at);
    at += sv->StateSize();
  }
}

bool SANModel::CompareState(void* s1, void* s2) {
  int n = StateSize();
  return n <= 0 || std::memcmp(s1, s2, static_cast<size_t>(n)) == 0;
}

void SANModel::printState(std::ostream* s) {
  *s << "Model: (" << Id << ")" << (Name != nullptr ? Name : "") << std::endl;
  for (int i = 0; i < numLocalVariables(); i++) {
    *s << "  ";
    LocalStateVariables[i]->printState(s);
  }
  for (int i = 0; i < NumReadOnlyPlaces; i++) {
    *s << "  ";
    ReadOnlyPlaces[i]->printState(s);
  }
}

BaseStateVariableClass** SANModel::GetLocalStateVariables(std::ostream*) { return LocalStateVariables; }

ModelType SANModel::GetModelType() { return AtomicModel; }

void SANModel::ReleaseSharingRecords() {
  const int places = NumStateVariables - NumReadOnlyPlaces;
  for (int i = 0; LocalStateVariables != nullptr && i < places; i++)
    if (LocalStateVariables[i] != nullptr) LocalStateVariables[i]->ReleaseSharingRecords();
  for (int i = 0; ReadOnlyPlaces != nullptr && i < NumReadOnlyPlaces; i++)
    if (ReadOnlyPlaces[i] != nullptr) ReadOnlyPlaces[i]->ReleaseSharingRecords();
}

int SANModel::GetNumberOfChildren() { return 0; }

BaseModelClass* SANModel::GetChild(int) {
  KAVRIN_CHECK(false, "SANModel", 316);
  return nullptr;
}

void SANModel::GetGlobalActions(base_action_list_t& list) {
  std::set<BaseActionClass*> own;
  for (int i = 0; i < NumActions; i++) own.insert(ActionList[i]);
  std::set<BaseActionClass*> global;
  for (int i = 0; i < numLocalVariables(); i++) {
    BaseStateVariableClass* sv = LocalStateVariables[i];
    if (sv->getStored()) continue;
    for (int k = 0; k < sv->getNumAffectingActions(); k++) {
      BaseActionClass* a = sv->getAffectingAction(k);
      if (own.count(a) > 0) global.insert(a);
    }
    for (int k = 0; k < sv->getNumEnabledActions(); k++) {
      BaseActionClass* a = sv->getEnabledAction(k);
      if (own.count(a) > 0) global.insert(a);
    }
  }
  for (BaseActionClass* a : global) list.push_front(a);
}

void SANModel::GetLocalActions(base_action_list_t& list) {
  base_action_list_t global;
  GetGlobalActions(global);
  std::set<BaseActionClass*> isGlobal(global.begin(), global.end());
  for (int i = 0; i < NumActions; i++)
    if (isGlobal.count(ActionList[i]) == 0) list.push_front(ActionList[i]);
}

bool SANModel::HasLocalState() { return StateSize() > 0; }

void SANModel::GetLocalState(State* s) { s->GetState(this); }

void SANModel::SetLocalState(const State* s) { s->SetState(this); }

void SANModel::ConstructLocalState(State*& s) {
  s = new (std::nothrow) LocalState(this);
  if (s == nullptr) MemoryAllocationError();
}

void SANModel::DestructLocalState(State* s) { delete s; }

void SANModel::PrintSANModelInfo() {
  std::fflush(stdout);
  std::printf("SANModelInfo\n");
  std::printf("Number of Actions = %i, Number of Groups = %i, Number of State Variables = %i\n", NumActions,
              NumGroups, NumStateVariables);
  for (int i = 0; i < NumActions; i++) {
    BaseActionClass* a = ActionList[i];
    std::printf("ActionName = %s\n", a->getName());
    std::printf("Group Id = %i\n", a->getGroupId());
    std::printf("DistributionType = %i\n", static_cast<int>(a->DistributionType));
    std::printf("ExecutionPolicy = %i\n", static_cast<int>(a->ExecutionPolicy));
    std::printf("Number of affected state variables = %i\n", a->getNumAffectedSVs());
    std::printf("Number of enabling state variables = %i\n", a->getNumEnablingSVs());
  }
  std::printf("\n");
  for (int i = 0; i < NumGroups; i++) std::printf("Group Name = %s \n", GroupList[i]->getName());
  for (int i = 0; i < numLocalVariables(); i++)
    std::printf("Place Name = %s\n", LocalStateVariables[i]->getName());
  for (int i = 0; i < NumReadOnlyPlaces; i++)
    std::printf("Read Only Place Name = %s\n", ReadOnlyPlaces[i]->getName());
  std::fflush(stdout);
}

// ---- LocalState ----

SANModel::LocalState::LocalState(SANModel* model) : state(nullptr), size(model->StateSize()) {
  state = KavrinNewArray<char>(size);
  if (size > 0) std::memset(state, 0, static_cast<size_t>(size));
}

SANModel::LocalState::~LocalState() { delete[] state; }

int SANModel::LocalState::hash() const {
  uint32_t sum = 0;
  for (int i = 0; i < size; i++) {
    int8_t b = static_cast<int8_t>(state[i]);
    sum += static_cast<uint32_t>(static_cast<int32_t>(b)) * primes[i % 256];
  }
  return static_cast<int>(static_cast<int32_t>(sum));
}

int SANModel::LocalState::compare(const State& other) const {
  const LocalState* o = dynamic_cast<const LocalState*>(&other);
  if (o == nullptr) return 1;
  if (o->size != size) return size < o->size ? -1 : 1;
  if (size <= 0) return 0;
  return std::memcmp(state, o->state, static_cast<size_t>(size));
}

void SANModel::LocalState::print() const {
  for (int i = 0; i < size; i++) std::printf("%5d", static_cast<int>(static_cast<int8_t>(state[i])));
  std::printf("\n");
  std::fflush(stdout);
}

int SANModel::LocalState::fwriteState(FILE* f) const {
  int32_t n = size;
  if (std::fwrite(&n, sizeof(n), 1, f) != 1) return 1;
  if (size > 0 && std::fwrite(state, 1, static_cast<size_t>(size), f) < static_cast<size_t>(size)) return 1;
  return 0;
}

// A file holding a state of another size is refused before anything is read into the buffer.
int SANModel::LocalState::freadState(FILE* f) {
  int32_t n = 0;
  if (std::fread(&n, sizeof(n), 1, f) != 1) return 1;
  if (n != size) return 1;
  if (size == 0) return 0;
  char* incoming = KavrinNewArray<char>(size);
  size_t got = std::fread(incoming, 1, static_cast<size_t>(size), f);
  if (got < static_cast<size_t>(size)) {
    delete[] incoming;
    return 1;
  }
  std::memcpy(state, incoming, static_cast<size_t>(size));
  delete[] incoming;
  return 0;
}

State& SANModel::LocalState::operator=(const State& other) {
  if (&other == this) return *this;
  const LocalState* _localS = dynamic_cast<const LocalState*>(&other);
  KAVRIN_CHECK(_localS != nullptr, "SANModel", 442);
  KAVRIN_ASSERT(size == _localS->size, "SANModel", 443);
  if (size > 0) std::memcpy(state, _localS->state, static_cast<size_t>(size));
  return *this;
}

void SANModel::LocalState::SetState(const BaseModelClass* model) const {
  const_cast<BaseModelClass*>(model)->SetState(state);
}

void SANModel::LocalState::GetState(const BaseModelClass* model) {
  const_cast<BaseModelClass*>(model)->CurrentState(state);
}
