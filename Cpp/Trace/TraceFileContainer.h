// The simulator's one trace object: it fans every trace call out to the writers added to it,
// in the order they were added. It borrows the writers and the reward model; deleting the
// container leaves the writers alive (they last until the process ends).
#ifndef KAVRIN_TRACE_TRACEFILECONTAINER_H
#define KAVRIN_TRACE_TRACEFILECONTAINER_H

#include <vector>

#include "Trace/TraceFile.h"

class TraceFileContainer : public TraceFile {
 public:
  TraceFileContainer();
  ~TraceFileContainer() override;

  int AddTraceFile(TraceFile* writer);
  // Kept for symmetry with AddTraceFile; writers are never taken out.
  int RemoveTraceFile(TraceFile* writer);
  void addPVModel(PVModel* model);

  void printHeader();
  void printFooter() override;
  void printInitialState();
  void printState();
  // Called at every firing; final and inline, so that a run without trace writers pays one test
  // of an empty vector per hook.
  void printFireAction(BaseActionClass* action, double time) final {
    for (TraceFile* writer : traceFileVec) writer->printFireAction(action, time);
  }
  void printPreFireAction(BaseActionClass* action) final {
    for (TraceFile* writer : traceFileVec) writer->printPreFireAction(action);
  }
  void printPostFireAction(BaseActionClass* first, BaseActionClass* fired) final {
    for (TraceFile* writer : traceFileVec) writer->printPostFireAction(first, fired);
  }
  void newBatch() override;
  // Formats at most 1000 bytes (terminating zero included) and hands the text to printStr.
  int printf(int level, const char* format, ...) override __attribute__((format(printf, 3, 4)));
  void printStr(int level, char* text) override;

  // The container itself prints nothing for these: the writers are reached through the
  // argument-free forms above.
  void printHeader(PVModel* model) override;
  void printInitialState(BaseModelClass* model) override;
  void printState(PVModel* model) override;
  void printState(BaseModelClass* model) override;

  PVModel* PVmodel;
  std::vector<TraceFile*> traceFileVec;
};

#endif
