// The process-wide diagnostic gate and the one way to fail an internal check.
//
// Diagnostic lines ("** ...") print only when GlobalDebugLevel exceeds their threshold. Every
// threshold goes through KAVRIN_DEBUG or KAVRIN_DEBUG_ON, so grep finds them all. No option
// raises the level: the lines are silent in every run unless a test or a debugger sets it.
// A failed internal check prints "!! Assertion failed in file <name>, line <n>" on standard error
// and aborts. The file name and the number are written in the call, never __FILE__ or __LINE__:
// they are observable output and must not move when the code is reformatted, edited above the
// check or built from another path. A few numbers are fixed by the design (Heap 171, SimStep 134
// and 135, PVModel 32, 173 and 709); the others are the line where the check stood when the numbers
// were written down, and a new check takes its own line, so a number still finds one check.
#ifndef KAVRIN_BASECLASSES_DEBUG_H
#define KAVRIN_BASECLASSES_DEBUG_H

#include <iostream>

extern int GlobalDebugLevel;

// Prints the assertion line (and, for a standard assertion, the expression on the next line),
// then aborts. Never returns.
[[noreturn]] void KavrinAssertFailed(const char* file, int line, const char* expression = nullptr);

// KAVRIN_CHECK(cond, "Heap", 171): an internal check with a pinned file name and line.
#define KAVRIN_CHECK(cond, file, line)               \
  do {                                               \
    if (!(cond)) KavrinAssertFailed((file), (line)); \
  } while (0)

// KAVRIN_ASSERT(cond, "FastSet", 32): a standard assertion, which also names the expression.
#define KAVRIN_ASSERT(cond, file, line)                     \
  do {                                                      \
    if (!(cond)) KavrinAssertFailed((file), (line), #cond); \
  } while (0)

// As KAVRIN_ASSERT, naming the expression by the given text: the message keeps its bytes whatever
// the layout of the source.
#define KAVRIN_ASSERT_AS(cond, text, file, line)             \
  do {                                                       \
    if (!(cond)) KavrinAssertFailed((file), (line), (text)); \
  } while (0)

// KAVRIN_DEBUG_ON(level): whether diagnostics of this threshold print, for code that must take
// another path while they do.
#define KAVRIN_DEBUG_ON(level) (GlobalDebugLevel > (level))

// KAVRIN_DEBUG(level, stream_expr): writes "** " + stream_expr + "\n" to standard output,
// flushed, only when KAVRIN_DEBUG_ON(level).
#define KAVRIN_DEBUG(level, stream_expr)              \
  do {                                                \
    if (KAVRIN_DEBUG_ON(level)) {                     \
      std::cout << "** " << stream_expr << std::endl; \
    }                                                 \
  } while (0)

// KAVRIN_DEBUG_LINE(level, stream_expr): the same gate for the few diagnostic lines that carry no
// "** " prefix.
#define KAVRIN_DEBUG_LINE(level, stream_expr) \
  do {                                        \
    if (KAVRIN_DEBUG_ON(level)) {             \
      std::cout << stream_expr << std::endl;  \
    }                                         \
  } while (0)

#endif
