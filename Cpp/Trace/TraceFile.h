// Base of every trace writer, and the process-wide trace stream used by Traceprintf.
//
// A writer prints what its level asks for to one output stream. The stream is borrowed when it
// is given to the constructor; when the writer opens a file by name it owns that file stream and
// closes it only if the writer itself is deleted (the simulator keeps its writers to the end of the
// process). Every line is flushed as it is written. In this base class every print does nothing.
#ifndef KAVRIN_TRACE_TRACEFILE_H
#define KAVRIN_TRACE_TRACEFILE_H

#include <iosfwd>

class PVModel;
class BaseModelClass;
class BaseActionClass;

// Stream of Traceprintf: standard output until a text trace writer takes it over.
extern std::ostream* trout;
// The level that Traceprintf tests; set by every TraceFile::setTraceLevel.
extern int TraceLevel;

// Prints a formatted message (at most 1024 bytes, terminating zero included) to trout when level
// does not exceed the global TraceLevel. A level-0 message also goes to standard output when trout
// is a file, so it is never only in the trace. Returns 0.
int Traceprintf(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

class TraceFile {
 public:
  // Level 1 (also the global level), no stream.
  TraceFile();
  // Level 0, writing to the named file (truncated). A file that cannot be opened is a fatal
  // user error: the name and the reason go to standard error and the process exits with 1.
  explicit TraceFile(const char* fname);
  // Level 0, writing to the given (borrowed) stream.
  explicit TraceFile(std::ostream* out);
  virtual ~TraceFile();

  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  virtual void printHeader(PVModel* model);
  virtual void printFooter();
  virtual void printInitialState(BaseModelClass* model);
  virtual void printState(BaseModelClass* model);
  // Prints the state of the reward model's atomic model.
  virtual void printState(PVModel* model);
  virtual void printFireAction(BaseActionClass* action, double time);
  virtual void printPreFireAction(BaseActionClass* action);
  virtual void printPostFireAction(BaseActionClass* first, BaseActionClass* fired);
  virtual void newBatch();
  virtual int printf(int level, const char* format, ...);
  virtual void printStr(int level, char* text);

  // Sets this writer's level and the global TraceLevel.
  void setTraceLevel(int level);
  int getTraceLevel() const { return TraceLevel; }

  std::ostream* getStream() const { return tracefileout; }

 protected:
  int TraceLevel;
  std::ostream* tracefileout;

 private:
  std::ofstream* ownedFile;
};

#endif
