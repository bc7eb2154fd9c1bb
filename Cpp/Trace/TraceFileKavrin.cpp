#include "Trace/TraceFileKavrin.h"

#include <iostream>
#include <ostream>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/List.h"
#include "BaseClasses/SAN/SANModel.h"

namespace {

// The number of a model's own variables: a SAN model keeps its read-only places after them.
int numLocalVariables(BaseModelClass* model) {
  int count = model->getNumStateVariables();
  if (SANModel* san = dynamic_cast<SANModel*>(model)) count -= san->getNumReadOnlyPlaces();
  return count;
}

BaseModelClass* modelOf(BaseActionClass* action) { return static_cast<BaseModelClass*>(action->TheModel); }

// "(id)name" of an action's model.
void writeModelTag(std::ostream& out, BaseModelClass* model) {
  out << "(";
  if (model != nullptr) {
    out << model->getId() << ")" << model->getName();
  } else {
    out << ")";
  }
}

void writeVariable(std::ostream& out, BaseStateVariableClass* sv) {
  out << "  " << sv->getFullyQualifiedName() << " = ";
  sv->printStateVal(&out);
  out << std::endl;
}

}  // namespace

TraceFileKavrin::TraceFileKavrin() : TraceFile() {}

TraceFileKavrin::TraceFileKavrin(const char* fname) : TraceFile(fname) { trout = tracefileout; }

TraceFileKavrin::TraceFileKavrin(std::ostream* out) : TraceFile(out) { trout = tracefileout; }

TraceFileKavrin::~TraceFileKavrin() {
  // A stream given by the caller may outlive this writer, but Traceprintf must not keep
  // writing through a writer that is gone.
  if (trout == tracefileout && tracefileout != nullptr) trout = &std::cout;
}

void TraceFileKavrin::printHeader(PVModel*) {
  if (tracefileout == nullptr) return;
  std::ostream& out = *tracefileout;
  out << "**************************************" << std::endl;
  out << "\t\tTRACE" << std::endl;
  out << "**************************************" << std::endl;
}

void TraceFileKavrin::newBatch() {
  if (tracefileout == nullptr) return;
  *tracefileout << "##### NEW BATCH #####" << std::endl;
}

void TraceFileKavrin::printInitialState(BaseModelClass* model) {
  if (tracefileout == nullptr || model == nullptr || TraceLevel < 1) return;
  *tracefileout << "Initial Model State:" << std::endl;
  printModel(model);
}

void TraceFileKavrin::printState(BaseModelClass* model) {
  if (tracefileout == nullptr || model == nullptr || TraceLevel < 3) return;
  *tracefileout << "Model State:" << std::endl;
  printModel(model);
}

void TraceFileKavrin::printModel(BaseModelClass* model) {
  std::ostream& out = *tracefileout;
  out << "  Model: (" << model->getId() << ")" << model->getName() << std::endl;
  BaseStateVariableClass** locals = model->GetLocalStateVariables(&out);
  int count = numLocalVariables(model);
  for (int i = 0; locals != nullptr && i < count; i++) {
    List<BaseStateVariableClass>* leaves = locals[i]->getLeafNodes();
    for (int j = 0; j < leaves->getNumItems(); j++) {
      BaseStateVariableClass* leaf = leaves->getItem(j);
      out << "    " << leaf->getFullyQualifiedName() << " = ";
      leaf->printStateVal(&out);
      out << std::endl;
    }
    delete leaves;
  }
  if (model->GetModelType() == AtomicModel) return;
  for (int c = 0; c < model->GetNumberOfChildren(); c++) printModel(model->GetChild(c));
}

void TraceFileKavrin::printFireAction(BaseActionClass* action, double time) {
  if (tracefileout == nullptr || action == nullptr || TraceLevel < 1) return;
  BaseActionClass* shown = action->getPrintedAction();
  BaseModelClass* model = modelOf(shown) != nullptr ? modelOf(shown) : modelOf(action);
  std::ostream& out = *tracefileout;
  out << "#### Firing: " << time << "  Action: ";
  writeModelTag(out, model);
  out << "->" << shown->getName() << std::endl;
}

void TraceFileKavrin::printPreFireAction(BaseActionClass* action) {
  if (tracefileout == nullptr || action == nullptr || TraceLevel < 2) return;
  BaseActionClass* shown = action->getPrintedAction();
  std::ostream& out = *tracefileout;
  out << "Enabling state before action firing:" << std::endl;
  for (int i = 0; i < shown->getNumEnablingSVs(); i++) writeVariable(out, shown->getEnablingSV(i));
}

void TraceFileKavrin::printPostFireAction(BaseActionClass* first, BaseActionClass* fired) {
  if (tracefileout == nullptr || first == nullptr || fired == nullptr || TraceLevel < 1) return;
  std::ostream& out = *tracefileout;
  BaseModelClass* model = modelOf(first);
  out << "#### After: (";
  if (model != nullptr) out << model->getId();
  out << ")" << first->getName() << "->" << fired->getName() << std::endl;
  if (TraceLevel < 2) return;
  out << "Affected state after firing: " << std::endl;
  for (int i = 0; i < fired->getNumAffectedSVs(); i++) writeVariable(out, fired->getAffectedSV(i));
}
