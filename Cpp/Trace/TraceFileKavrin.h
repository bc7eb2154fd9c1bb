// The text trace: a header, batch markers, model states and two lines per firing, with more
// detail as the level rises (0: header and batch markers; 1: initial states and firings;
// 2: the enabling and affected variables of each firing; 3: the full state after every step).
// Writing to a file or to a given stream also makes that stream the Traceprintf stream (trout).
#ifndef KAVRIN_TRACE_TRACEFILEKAVRIN_H
#define KAVRIN_TRACE_TRACEFILEKAVRIN_H

#include "Trace/TraceFile.h"

class TraceFileKavrin : public TraceFile {
 public:
  TraceFileKavrin();
  explicit TraceFileKavrin(const char* fname);
  explicit TraceFileKavrin(std::ostream* out);
  ~TraceFileKavrin() override;

  void printHeader(PVModel* model) override;
  void printInitialState(BaseModelClass* model) override;
  using TraceFile::printState;
  void printState(BaseModelClass* model) override;
  void printFireAction(BaseActionClass* action, double time) override;
  void printPreFireAction(BaseActionClass* action) override;
  void printPostFireAction(BaseActionClass* first, BaseActionClass* fired) override;
  void newBatch() override;

 private:
  // "  Model: (id)name", one line per leaf of each local variable, then the children.
  void printModel(BaseModelClass* model);
};

#endif
