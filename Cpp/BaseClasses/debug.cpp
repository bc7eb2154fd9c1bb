#include "BaseClasses/debug.h"

#include <cstdio>
#include <cstdlib>

int GlobalDebugLevel = 0;

void KavrinAssertFailed(const char* file, int line, const char* expression) {
  std::fflush(stdout);
  std::fprintf(stderr, "!! Assertion failed in file %s, line %d\n", file, line);
  if (expression != nullptr) std::fprintf(stderr, "Expression: %s\n", expression);
  std::fflush(stderr);
  std::abort();
}
