#include "BaseClasses/KavrinName.h"

#include <cstring>
#include <new>

#include "BaseClasses/StandardErrors.h"

char* KavrinCopyName(const char* name, const char* failureLine) {
  if (name == nullptr) return nullptr;
  const size_t n = std::strlen(name) + 1;
  char* copy = new (std::nothrow) char[n];
  if (copy == nullptr) MemoryAllocationError(failureLine);
  std::memcpy(copy, name, n);
  return copy;
}

void KavrinReplaceName(char*& slot, const char* name, const char* failureLine) {
  char* copy = KavrinCopyName(name, failureLine);
  delete[] slot;
  slot = copy;
}
