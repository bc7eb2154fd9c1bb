// Connectivity lists: for every action, the groups whose enabling its firing can change.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <new>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/debug.h"
#include "Performance_Variables/PVModel.h"
#include "Simulator/ActionAffectsElement.h"
#include "Simulator/SimulatorClass.h"

namespace {

// "SIMTEST" as the old builder reads it: unset counts as 1.
int OldBuilderVariant() {
  const char* value = std::getenv("SIMTEST");
  return value == nullptr ? 1 : std::atoi(value);
}

// Whether atoi reads all of the text: optional blanks and sign, then digits only. Anything else
// ("", "abc", "2x") is still read as atoi reads it, but the user is told.
bool IsWholeNumber(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') p++;
  if (*p == '+' || *p == '-') p++;
  if (*p < '0' || *p > '9') return false;
  while (*p >= '0' && *p <= '9') p++;
  return *p == '\0';
}

void TraceAdd(BaseActionClass* TheAction) {
  KAVRIN_DEBUG_LINE(3, "AddActionAffects on " << TheAction->ActionName);
}

void Describe(std::ostream* out, BaseActionClass* action) {
  BaseModelClass* model = static_cast<BaseModelClass*>(action->TheModel);
  if (model == nullptr) {
    *out << "Unknown Model";
  } else {
    *out << model->getName() << "(" << model->getId() << ")";
  }
  *out << "->" << action->ActionName << " (" << action->getID() << ")";
}

bool InBlock(const ActionAffectsElement* cell, const ActionAffectsElement* block, int size) {
  std::less<const ActionAffectsElement*> before;
  return block != nullptr && !before(cell, block) && before(cell, block + size);
}

// A run of n cells, room for one more at `at`, and the end cell; null when there is no room.
ActionAffectsElement* Grown(const ActionAffectsElement* run, int n, int at, BaseActionClass* group) {
  ActionAffectsElement* grown = new (std::nothrow) ActionAffectsElement[n + 2];
  if (grown == nullptr) return nullptr;
  for (int i = 0; i < at; i++) grown[i] = run[i];
  grown[at].Action = group;
  for (int i = at; i < n; i++) grown[i + 1] = run[i];
  return grown;
}

}  // namespace

// The start-up's choice of builder: "SIMTEST" unset or 2 the default builder, 0 or 1 the old one.
// Any other value builds nothing; the run then misses every reschedule, so say so.
short SimulatorClass::BuildConnectivityLists() {
  const char* value = std::getenv("SIMTEST");
  int simtest = value == nullptr ? 2 : std::atoi(value);
  if (value != nullptr && !IsWholeNumber(value))
    std::cerr << "Warning: SIMTEST=\"" << value << "\" is not a number; it counts as " << simtest
              << std::endl;
  if (simtest == 2 || simtest == 0 || simtest == 1) {
    std::cout << (simtest == 2 ? "GenerateConnectivityList()" : "GenerateConnectivityListOld()") << std::endl;
    short failed = simtest == 2 ? GenerateConnectivityList() : GenerateConnectivityListOld();
    if (failed == 0 && !AffectsCompact) CompactConnectivityLists();
    return failed;
  }
  std::cerr << "Warning: SIMTEST=" << value
            << " builds no connectivity lists; no action will be rescheduled after a firing and the "
               "results will be wrong"
            << std::endl;
  return 0;
}

// A list is one run of cells, so adding a group makes the list a new run one cell longer. The
// builders that add one group at a time are the old ones; the default builder writes each list
// once, in place.
short SimulatorClass::AddActionAffects(BaseActionClass* pointee, BaseActionClass* TheAction) {
  TraceAdd(TheAction);
  // A cell without a group ends a list; a null group cannot be listed.
  KAVRIN_CHECK(pointee != nullptr, "AddActionAffects", 64);
  const int n = ActionAffectsElement::Length(TheAction->Affects);
  ActionAffectsElement* run = Grown(TheAction->Affects, n, 0, pointee);
  if (run == nullptr) return 1;
  ClearActionAffectsList(TheAction);
  TheAction->Affects = run;
  AffectsCompact = false;
  return 0;
}

short SimulatorClass::AddActionAffectsOld(BaseActionClass* pointee, BaseActionClass* TheAction) {
  TraceAdd(TheAction);
  KAVRIN_CHECK(pointee != nullptr, "AddActionAffects", 82);
  const int n = ActionAffectsElement::Length(TheAction->Affects);
  for (int i = 0; i < n; i++)
    if (TheAction->Affects[i].Action == pointee) return 0;
  ActionAffectsElement* run = Grown(TheAction->Affects, n, n, pointee);
  if (run == nullptr) return 1;
  ClearActionAffectsList(TheAction);
  TheAction->Affects = run;
  AffectsCompact = false;
  return 0;
}

// Pushes from the firing action: its own group, then the groups of every action enabled by a
// variable it changes. ActionFound[group ID] holds the last action a group was listed for, so
// duplicates are caught in O(1) without clearing the array between actions.
//
// Each action's list is complete before the next action's starts, so the lists are written
// straight into one block in action order: a first walk counts each list, a second fills it and
// turns it round (a list built by pushing holds its groups in the reverse of the order they are
// found), each list followed by its end cell. The lists, their order and the block are those
// that pushing groups one by one and compacting the lists afterwards gave, without the copies a
// large model had to hold twice at start-up. Lists that already hold groups are pushed onto as
// before.
short SimulatorClass::GenerateConnectivityList() {
  BaseModelClass* model = TheModel;
  int MaxActionID = BaseActionClass::getMaxID();
  int* ActionFound = new (std::nothrow) int[MaxActionID + 1];
  if (ActionFound == nullptr) return 1;

  BaseActionClass** actions = model->getActionList();
  const int numActions = model->getNumActions();
  // Calls visit(action, group) for every group the action's list receives, in the order found.
  auto walk = [&](auto&& visit) {
    for (int i = 0; i <= MaxActionID; i++) ActionFound[i] = -1;
    for (int i = 0; i < numActions; i++) {
      BaseActionClass* a = actions[i];
      int CurID = a->getID();
      BaseActionClass* g = GroupList[a->GroupID];
      if (ActionFound[g->getID()] != CurID) {
        visit(a, g);
        ActionFound[g->getID()] = CurID;
      }
      for (int j = 0; j < a->getNumAffectedSVs(); j++) {
        BaseStateVariableClass* sv = a->getAffectedSV(j);
        for (int k = 0; k < sv->getNumEnabledActions(); k++) {
          g = GroupList[sv->getEnabledAction(k)->GroupID];
          if (ActionFound[g->getID()] != CurID) {
            ActionFound[g->getID()] = CurID;
            visit(a, g);
          }
        }
      }
    }
  };

  bool fresh = AffectsBlock == nullptr;
  for (int i = 0; fresh && i < numActions; i++) fresh = actions[i]->Affects == nullptr;
  // Cells: one per group listed, and an end cell per list.
  int total = 0;
  if (fresh) {
    BaseActionClass* last = nullptr;
    walk([&](BaseActionClass* a, BaseActionClass*) {
      total += a != last ? 2 : 1;
      last = a;
    });
  }
  ActionAffectsElement* block = fresh && total > 0 ? new (std::nothrow) ActionAffectsElement[total] : nullptr;

  short failed = 0;
  if (block == nullptr) {
    walk([&](BaseActionClass* a, BaseActionClass* g) { failed |= AddActionAffects(g, a); });
  } else {
    // An action's cells take block[start, used), then its end cell: the first group found goes
    // last.
    BaseActionClass* current = nullptr;
    int start = 0;
    int used = 0;
    auto close = [&]() {
      if (current == nullptr) return;
      std::reverse(block + start, block + used);
      block[used++].Action = nullptr;
      current->Affects = &block[start];
    };
    walk([&](BaseActionClass* a, BaseActionClass* g) {
      TraceAdd(a);
      if (a != current) {
        close();
        current = a;
        start = used;
      }
      block[used++].Action = g;
    });
    close();
    AffectsBlock = block;
    AffectsBlockSize = total;
    AffectsCompact = true;
  }
  delete[] ActionFound;
  return failed ? 1 : 0;
}

// Pulls into the affecting actions: each action's group is added to its own list and to the list
// of every action that changes a variable enabling it. With SIMTEST 1 a byte matrix of
// (action, group) marks stops duplicates; otherwise a linear search on each append does.
short SimulatorClass::GenerateConnectivityListOld() {
  BaseModelClass* model = TheModel;
  int MaxActionID = BaseActionClass::getMaxID() + 1;
  bool useMatrix = OldBuilderVariant() == 1;
  char* Found = nullptr;
  if (useMatrix) {
    Found = new (std::nothrow) char[static_cast<size_t>(MaxActionID) * MaxActionID]();
    if (Found == nullptr) return 1;
  }

  short failed = 0;
  auto add = [&](BaseActionClass* group, BaseActionClass* to) {
    if (!useMatrix) {
      failed |= AddActionAffectsOld(group, to);
      return;
    }
    size_t mark = static_cast<size_t>(group->getID()) + static_cast<size_t>(MaxActionID) * to->getID();
    if (!Found[mark]) {
      failed |= AddActionAffects(group, to);
      Found[mark] = 1;
    }
  };

  BaseActionClass** actions = model->getActionList();
  for (int i = 0; i < model->getNumActions(); i++) {
    BaseActionClass* p = actions[i];
    BaseActionClass* g = GroupList[p->GroupID];
    add(g, p);
    for (int j = 0; j < p->getNumEnablingSVs(); j++) {
      BaseStateVariableClass* sv = p->getEnablingSV(j);
      for (int k = 0; k < sv->getNumAffectingActions(); k++) add(g, sv->getAffectingAction(k));
    }
  }
  delete[] Found;
  return failed ? 1 : 0;
}

// Every firing walks the fired action's list; cells allocated one by one land wherever the
// allocator has a hole, so on a large model each cell is a cache miss of its own. One block in
// action order keeps each list in one or two lines. The list order is kept cell for cell.
void SimulatorClass::CompactConnectivityLists() {
  BaseActionClass** actions = TheModel->getActionList();
  int numActions = TheModel->getNumActions();
  int total = 0;
  for (int i = 0; i < numActions; i++) {
    const int n = ActionAffectsElement::Length(actions[i]->Affects);
    if (n > 0) total += n + 1;
  }
  if (total == 0) return;
  ActionAffectsElement* block = new (std::nothrow) ActionAffectsElement[total];
  if (block == nullptr) return;  // the lists' own runs serve as well, only slower
  int used = 0;
  for (int i = 0; i < numActions; i++) {
    BaseActionClass* action = actions[i];
    const int n = ActionAffectsElement::Length(action->Affects);
    if (n == 0) continue;
    ActionAffectsElement* first = block + used;
    for (int c = 0; c < n; c++) block[used++] = action->Affects[c];
    used++;  // the end cell
    ClearActionAffectsList(action);
    action->Affects = first;
  }
  // Cells of an earlier block were all copied above; none is referenced any more.
  delete[] AffectsBlock;
  AffectsBlock = block;
  AffectsBlockSize = total;
  AffectsCompact = true;
}

void SimulatorClass::ClearActionAffectsList(BaseActionClass* action) {
  // A list in the block is freed with the block.
  if (!InBlock(action->Affects, AffectsBlock, AffectsBlockSize)) delete[] action->Affects;
  action->Affects = nullptr;
}

void SimulatorClass::DestructConnectivityList() {
  if (TheModel == nullptr) return;
  BaseModelClass* model = TheModel;
  BaseActionClass** actions = model->getActionList();
  if (actions == nullptr) return;
  for (int i = 0; i < model->getNumActions(); i++) ClearActionAffectsList(actions[i]);
  delete[] AffectsBlock;
  AffectsBlock = nullptr;
  AffectsBlockSize = 0;
  AffectsCompact = false;
}

void SimulatorClass::PrintConnectivityList(std::ostream* out) {
  BaseModelClass* model = TheModel;
  BaseActionClass** actions = model->getActionList();
  for (int i = 0; i < model->getNumActions(); i++) {
    BaseActionClass* action = actions[i];
    KAVRIN_CHECK(action != nullptr, "AddActionAffects", 231);
    *out << "Action: ";
    Describe(out, action);
    *out << std::endl << "Checking my Affects" << std::endl;
    KAVRIN_CHECK(action->Affects != nullptr, "AddActionAffects", 235);
    for (ActionAffectsElement* cell = action->Affects; cell != nullptr; cell = cell->next()) {
      KAVRIN_CHECK(cell->Action->ActionName != nullptr, "AddActionAffects", 238);
      *out << "    ";
      Describe(out, cell->Action);
      *out << std::endl;
    }
  }
}
