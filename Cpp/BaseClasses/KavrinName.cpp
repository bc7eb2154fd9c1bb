#include "BaseClasses/KavrinName.h"

#include <cstring>
#include <new>

#include "BaseClasses/StandardErrors.h"

char* KavrinCopyName(const char* name) {
  if (name == nullptr) return nullptr;
  const size_t n = std::strlen(name) + 1;
  char* copy = new (std::nothrow) char[n];
  if (copy == nullptr) MemoryAllocationError();
  std::memcpy(copy, name, n);
  return copy;
}

void KavrinReplaceName(char*& slot, const char* name) {
  char* copy = KavrinCopyName(name);
  delete[] slot;
  slot = copy;
}
