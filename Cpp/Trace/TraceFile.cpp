#include "Trace/TraceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <vector>

#include "Performance_Variables/PVModel.h"

std::ostream* trout = &std::cout;
int TraceLevel = 0;

namespace {

// Writers live until the process ends; keeping them listed here keeps them reachable, so leak
// checkers do not report the simulator's writers, which are deliberately never deleted.
std::vector<TraceFile*>& liveWriters() {
  static std::vector<TraceFile*>* writers = new std::vector<TraceFile*>();
  return *writers;
}

}  // namespace

int Traceprintf(int level, const char* format, ...) {
  if (level > TraceLevel) return 0;
  // "%lld" is already a 64-bit conversion here, so the format is used as it is.
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  *trout << text << std::flush;
  if (level == 0 && trout != &std::cout) std::cout << text << std::flush;
  return 0;
}

TraceFile::TraceFile() : TraceLevel(1), tracefileout(nullptr), ownedFile(nullptr) { ::TraceLevel = 1; }

TraceFile::TraceFile(const char* fname) : TraceLevel(0), tracefileout(nullptr), ownedFile(nullptr) {
  ownedFile = new std::ofstream(fname, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!ownedFile->is_open()) {
    int reason = errno;
    std::cerr << "ERROR: Cannot open trace file '" << fname << "': " << std::strerror(reason) << std::endl;
    std::exit(1);
  }
  tracefileout = ownedFile;
  liveWriters().push_back(this);
}

TraceFile::TraceFile(std::ostream* out) : TraceLevel(0), tracefileout(out), ownedFile(nullptr) {
  liveWriters().push_back(this);
}

TraceFile::~TraceFile() {
  std::vector<TraceFile*>& writers = liveWriters();
  writers.erase(std::remove(writers.begin(), writers.end(), this), writers.end());
  if (ownedFile != nullptr) {
    if (trout == ownedFile) trout = &std::cout;
    delete ownedFile;
  }
}

void TraceFile::printHeader(PVModel*) {}
void TraceFile::printFooter() {}
void TraceFile::printInitialState(BaseModelClass*) {}
void TraceFile::printState(BaseModelClass*) {}

void TraceFile::printState(PVModel* model) {
  if (model != nullptr) printState(model->TheModel);
}

void TraceFile::printFireAction(BaseActionClass*, double) {}
void TraceFile::printPreFireAction(BaseActionClass*) {}
void TraceFile::printPostFireAction(BaseActionClass*, BaseActionClass*) {}
void TraceFile::newBatch() {}
int TraceFile::printf(int, const char*, ...) { return 0; }
void TraceFile::printStr(int, char*) {}

void TraceFile::setTraceLevel(int level) {
  TraceLevel = level;
  ::TraceLevel = level;
}
