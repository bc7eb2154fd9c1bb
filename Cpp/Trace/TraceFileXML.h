// The XML trace: one document covering the run from its start to the first batch boundary
// (in a terminating run, the first replication). The header declares the processes (models),
// their actions and variables and the interactions between processes; then the initial state
// and one element per firing follow, and the first batch boundary closes the document. Later
// calls write nothing. A run that ends before its first boundary is closed by printFooter, so
// the file is always a well-formed document. Attribute values are escaped.
// Borrows the models and actions it is shown; owns its name lists.
#ifndef KAVRIN_TRACE_TRACEFILEXML_H
#define KAVRIN_TRACE_TRACEFILEXML_H

#include <string>
#include <utility>
#include <vector>

#include "Trace/TraceFile.h"

class BaseStateVariableClass;

class TraceFileXML : public TraceFile {
 public:
  TraceFileXML();
  explicit TraceFileXML(const char* fname);
  explicit TraceFileXML(std::ostream* out);
  ~TraceFileXML() override;

  void printHeader(PVModel* model) override;
  void printFooter() override;
  void printInitialState(BaseModelClass* model) override;
  using TraceFile::printState;
  // The full-state dump of the text trace has no XML counterpart.
  void printState(BaseModelClass* model) override;
  void printFireAction(BaseActionClass* action, double time) override;
  void printPostFireAction(BaseActionClass* first, BaseActionClass* fired) override;
  void newBatch() override;

  // The id of a declared model that declared a variable of that full name and whose id does
  // not exceed ModelId (the first such model in declaration order); -1 when there is none.
  int getModelMap(const char* name, int ModelId);
  // False when the name is already used and its first recorded id does not exceed ParentId;
  // otherwise records a copy of the name with NameId and returns true.
  bool addUsedStateName(const char* usedName, int ParentId, int NameId);
  bool inUsedStateName(const char* usedName);
  // Appends the name unless present; true when appended.
  bool addState(const char* stateName);

  int getRunNum() const { return runNum; }

 private:
  void declareProcess(BaseModelClass* model, int parentId);
  void declareInteractions(BaseModelClass* model);
  void writeStateValues(BaseModelClass* model);
  void closeDocument();
  std::vector<std::string>& modelMapEntry(int modelId);

  std::vector<std::string> stateNames;
  std::vector<std::string> UsedStateNames;
  std::vector<std::string> UsedActionNames;
  std::vector<std::vector<int> > UsedStateNamesIds;
  int runNum;
  double LastActionTime;
  std::vector<std::pair<int, std::vector<std::string> > > ModelMap;
  bool documentOpen;
};

#endif
