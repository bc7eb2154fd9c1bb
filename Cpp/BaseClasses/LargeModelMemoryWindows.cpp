#include <windows.h>

#include "BaseClasses/LargeModelMemory.h"

// Large pages on Windows need a privilege an ordinary user does not hold: nothing is asked.
long long LargeModelMemory::UseLargePages() { return 0; }

void* LargeModelMemory::MapPages(size_t bytes) {
  if (bytes == 0) return nullptr;
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void LargeModelMemory::UnmapPages(void* at, size_t bytes) {
  (void)bytes;  // a whole reservation is released at once
  if (at != nullptr) (void)VirtualFree(at, 0, MEM_RELEASE);
}
