#include "Trace/TraceFileXML.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/List.h"
#include "BaseClasses/SAN/SANModel.h"
#include "Performance_Variables/PVModel.h"

namespace {

int numLocalVariables(BaseModelClass* model) {
  int count = model->getNumStateVariables();
  if (SANModel* san = dynamic_cast<SANModel*>(model)) count -= san->getNumReadOnlyPlaces();
  return count;
}

// Attribute values are quoted with '"'; names and values of ordinary models never hold these
// characters, so their bytes are unchanged.
std::string escapeAttribute(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string nameOf(BaseStateVariableClass* sv) {
  std::ostringstream text;
  text << sv->getFullyQualifiedName();
  return text.str();
}

std::string valueOf(BaseStateVariableClass* sv) {
  std::ostringstream text;
  sv->printStateVal(&text);
  return escapeAttribute(text.str());
}

bool isAtomic(BaseModelClass* model) { return model->GetModelType() == AtomicModel; }

// Calls visit(leaf) for every leaf of the first count variables of vars.
template <class Visit>
void forEachLeaf(BaseStateVariableClass** vars, int count, Visit visit) {
  for (int i = 0; vars != nullptr && i < count; i++) {
    List<BaseStateVariableClass>* leaves = vars[i]->getLeafNodes();
    for (int j = 0; j < leaves->getNumItems(); j++) visit(leaves->getItem(j));
    delete leaves;
  }
}

}  // namespace

TraceFileXML::TraceFileXML() : TraceFile(), runNum(-1), LastActionTime(0.0), documentOpen(false) {}

TraceFileXML::TraceFileXML(const char* fname)
    : TraceFile(fname), runNum(-1), LastActionTime(0.0), documentOpen(false) {}

TraceFileXML::TraceFileXML(std::ostream* out)
    : TraceFile(out), runNum(-1), LastActionTime(0.0), documentOpen(false) {}

TraceFileXML::~TraceFileXML() {}

std::vector<std::string>& TraceFileXML::modelMapEntry(int modelId) {
  for (auto& entry : ModelMap)
    if (entry.first == modelId) return entry.second;
  ModelMap.emplace_back(modelId, std::vector<std::string>());
  return ModelMap.back().second;
}

int TraceFileXML::getModelMap(const char* name, int ModelId) {
  for (const auto& entry : ModelMap) {
    if (entry.first > ModelId) continue;
    if (std::find(entry.second.begin(), entry.second.end(), name) != entry.second.end()) return entry.first;
  }
  return -1;
}

bool TraceFileXML::addUsedStateName(const char* usedName, int ParentId, int NameId) {
  for (size_t i = 0; i < UsedStateNames.size(); i++) {
    if (UsedStateNames[i] == usedName && UsedStateNamesIds[i].front() <= ParentId) return false;
  }
  UsedStateNames.emplace_back(usedName);
  UsedStateNamesIds.push_back(std::vector<int>(1, NameId));
  return true;
}

bool TraceFileXML::inUsedStateName(const char* usedName) {
  return std::find(UsedStateNames.begin(), UsedStateNames.end(), usedName) != UsedStateNames.end();
}

bool TraceFileXML::addState(const char* stateName) {
  if (std::find(stateNames.begin(), stateNames.end(), stateName) != stateNames.end()) return false;
  stateNames.emplace_back(stateName);
  return true;
}

void TraceFileXML::printHeader(PVModel* model) {
  if (tracefileout == nullptr || runNum != -1 || documentOpen) return;
  std::ostream& out = *tracefileout;
  out << "<?xml version=\"1.0\" encoding=\"utf-8\" ?>" << std::endl;
  out << "<!DOCTYPE Trace" << std::endl;
  out << "  SYSTEM \"Trace.dtd\">" << std::endl;
  out << "<Trace model=\"Example_Kavrine\" generator=\"manually_generated\" >" << std::endl;
  out << "<Comment> Purpose of this trace: demonstration </Comment>" << std::endl;
  out << "<!-- TESTING declaration of processes -->" << std::endl;
  out << "<!-- Trace file of model Example_Kavrine -->" << std::endl;
  BaseModelClass* atomic = model != nullptr ? model->TheModel : nullptr;
  if (atomic != nullptr) declareProcess(atomic, atomic->getId());
  out << "<Interactions>" << std::endl;
  if (atomic != nullptr) declareInteractions(atomic);
  out << "</Interactions>" << std::endl;
  out << "<!-- process sequence -->" << std::endl;
  out << "<Sequence type=\"StateActionType\">" << std::endl;
  documentOpen = true;
}

void TraceFileXML::declareProcess(BaseModelClass* model, int parentId) {
  std::ostream& out = *tracefileout;
  int id = model->getId();
  std::string name = escapeAttribute(model->getName() != nullptr ? model->getName() : "");
  if (isAtomic(model)) {
    out << "<Process id=\"p" << id << "\" name=\"" << name << id << "\" >" << std::endl;
    BaseActionClass** actions = model->getActionList();
    for (int i = 0; actions != nullptr && i < model->getNumActions(); i++) {
      BaseActionClass* action = actions[i];
      bool touchesShared = false;
      for (int j = 0; j < action->getNumAffectedSVs() && !touchesShared; j++)
        touchesShared = inUsedStateName(nameOf(action->getAffectedSV(j)).c_str());
      if (touchesShared) continue;
      UsedActionNames.emplace_back(action->getName());
      out << "<Action id=\"a" << action->getID() << "\" name=\"" << escapeAttribute(action->getName())
          << "\" />" << std::endl;
    }
    std::vector<std::string>& declared = modelMapEntry(id);
    forEachLeaf(model->GetLocalStateVariables(&out), numLocalVariables(model),
                [&](BaseStateVariableClass* leaf) {
                  if (leaf->getShared()) return;
                  std::string leafName = nameOf(leaf);
                  std::string attr = escapeAttribute(leafName);
                  out << "<Var id=\"p" << id << attr << "\" name=\"" << attr << "\" />" << std::endl;
                  declared.push_back(leafName);
                });
    out << "</Process>" << std::endl;
    model->SetParentId(parentId);
    return;
  }
  out << "<Process id=\"p" << id << "\" name=\"" << name << "\" >" << std::endl;
  std::vector<std::string>& declared = modelMapEntry(id);
  forEachLeaf(model->GetSharedStateVariables(), model->getNumSharedStateVariables(),
              [&](BaseStateVariableClass* leaf) {
                if (!leaf->getShared()) return;
                std::string leafName = nameOf(leaf);
                if (!addUsedStateName(leafName.c_str(), parentId, id)) return;
                std::string attr = escapeAttribute(leafName);
                out << "<Var id=\"p" << id << attr << "\" name=\"" << attr << "\" />" << std::endl;
                declared.push_back(leafName);
              });
  out << "</Process>" << std::endl;
  model->SetParentId(parentId);
  for (int c = 0; c < model->GetNumberOfChildren(); c++) declareProcess(model->GetChild(c), id);
}

void TraceFileXML::declareInteractions(BaseModelClass* model) {
  if (!isAtomic(model)) {
    for (int c = 0; c < model->GetNumberOfChildren(); c++) declareInteractions(model->GetChild(c));
    return;
  }
  std::ostream& out = *tracefileout;
  BaseActionClass** actions = model->getActionList();
  for (int i = 0; actions != nullptr && i < model->getNumActions(); i++) {
    BaseActionClass* action = actions[i];
    if (std::find(UsedActionNames.begin(), UsedActionNames.end(), action->getName()) != UsedActionNames.end())
      continue;
    std::vector<int> touched;
    for (int j = 0; j < action->getNumAffectedSVs(); j++) {
      std::string svName = nameOf(action->getAffectedSV(j));
      if (!inUsedStateName(svName.c_str())) continue;
      int owner = getModelMap(svName.c_str(), model->getId());
      if (owner >= 0 && std::find(touched.begin(), touched.end(), owner) == touched.end())
        touched.push_back(owner);
    }
    if (touched.empty()) continue;
    if (std::find(touched.begin(), touched.end(), model->getId()) == touched.end())
      touched.push_back(model->getId());
    out << "<Undiraction id=\"a" << action->getID() << "\" name=\"" << escapeAttribute(action->getName())
        << "\">";
    for (int owner : touched) out << "<Touch>p" << owner << "</Touch>";
    out << "</Undiraction>" << std::endl;
  }
}

void TraceFileXML::printInitialState(BaseModelClass* model) {
  if (tracefileout == nullptr || model == nullptr || runNum != 0 || !documentOpen) return;
  std::ostream& out = *tracefileout;
  out << "<S>" << std::endl;
  writeStateValues(model);
  out << "</S>" << std::endl;
  stateNames.clear();
}

void TraceFileXML::writeStateValues(BaseModelClass* model) {
  std::ostream& out = *tracefileout;
  int id = model->getId();
  if (isAtomic(model)) {
    forEachLeaf(model->GetLocalStateVariables(&out), numLocalVariables(model),
                [&](BaseStateVariableClass* leaf) {
                  if (leaf->getShared()) return;
                  std::string leafName = nameOf(leaf);
                  addState(leafName.c_str());
                  out << "<V id=\"p" << id << escapeAttribute(leafName) << "\" val=\"" << valueOf(leaf)
                      << "\" />" << std::endl;
                });
    return;
  }
  forEachLeaf(model->GetSharedStateVariables(), model->getNumSharedStateVariables(),
              [&](BaseStateVariableClass* leaf) {
                if (!leaf->getShared()) return;
                std::string leafName = nameOf(leaf);
                addState(leafName.c_str());
                out << "<V id=\"p" << getModelMap(leafName.c_str(), id) << escapeAttribute(leafName)
                    << "\" val=\"" << valueOf(leaf) << "\" />" << std::endl;
              });
  for (int c = 0; c < model->GetNumberOfChildren(); c++) writeStateValues(model->GetChild(c));
}

void TraceFileXML::printState(BaseModelClass*) {}

void TraceFileXML::printFireAction(BaseActionClass*, double time) {
  if (runNum != 0) return;
  LastActionTime = time;
}

void TraceFileXML::printPostFireAction(BaseActionClass* first, BaseActionClass* fired) {
  if (tracefileout == nullptr || first == nullptr || fired == nullptr || runNum != 0 || !documentOpen) return;
  std::ostream& out = *tracefileout;
  BaseModelClass* model = static_cast<BaseModelClass*>(first->TheModel);
  int id = model != nullptr ? model->getId() : -1;
  out << "<A id=\"a" << fired->getID() << "\" t=\"" << LastActionTime << "\">" << std::endl;
  for (int i = 0; i < fired->getNumAffectedSVs(); i++) {
    BaseStateVariableClass* sv = fired->getAffectedSV(i);
    std::string svName = nameOf(sv);
    int owner = sv->getShared() ? getModelMap(svName.c_str(), id) : id;
    out << "  <V id=\"p" << owner << escapeAttribute(svName) << "\"  val=\"" << valueOf(sv) << "\" />"
        << std::endl;
  }
  out << "</A>" << std::endl;
}

void TraceFileXML::closeDocument() {
  if (tracefileout == nullptr || !documentOpen) return;
  *tracefileout << "</Sequence>" << std::endl;
  *tracefileout << "</Trace>" << std::endl;
  documentOpen = false;
}

void TraceFileXML::newBatch() {
  runNum++;
  if (runNum == 1) closeDocument();
}

void TraceFileXML::printFooter() {
  // A run that stops before its first batch boundary would otherwise leave the document open.
  if (runNum <= 0) {
    closeDocument();
    runNum = 1;
  }
}
