#include "Trace/TraceFileContainer.h"

#include <cstdarg>
#include <cstdio>

#include "Performance_Variables/PVModel.h"

TraceFileContainer::TraceFileContainer() : TraceFile(), PVmodel(nullptr) {}

TraceFileContainer::~TraceFileContainer() {}

int TraceFileContainer::AddTraceFile(TraceFile* writer) {
  traceFileVec.push_back(writer);
  return 0;
}

int TraceFileContainer::RemoveTraceFile(TraceFile*) { return 0; }

void TraceFileContainer::addPVModel(PVModel* model) { PVmodel = model; }

void TraceFileContainer::printHeader() {
  for (TraceFile* writer : traceFileVec) writer->printHeader(PVmodel);
}

void TraceFileContainer::printFooter() {
  for (TraceFile* writer : traceFileVec) writer->printFooter();
}

void TraceFileContainer::printInitialState() {
  // Without a writer the reward model may never have been handed over: touch it only for a writer.
  for (TraceFile* writer : traceFileVec)
    writer->printInitialState(PVmodel != nullptr ? PVmodel->TheModel : nullptr);
}

void TraceFileContainer::printState() {
  for (TraceFile* writer : traceFileVec) writer->printState(PVmodel);
}

void TraceFileContainer::newBatch() {
  for (TraceFile* writer : traceFileVec) writer->newBatch();
}

int TraceFileContainer::printf(int level, const char* format, ...) {
  char text[1000];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  printStr(level, text);
  return 0;
}

void TraceFileContainer::printStr(int level, char* text) {
  for (TraceFile* writer : traceFileVec) writer->printStr(level, text);
}

void TraceFileContainer::printHeader(PVModel*) {}
void TraceFileContainer::printInitialState(BaseModelClass*) {}
void TraceFileContainer::printState(PVModel*) {}
void TraceFileContainer::printState(BaseModelClass*) {}
