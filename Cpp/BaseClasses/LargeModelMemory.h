// LargeModelMemory: asks the operating system to back a large model's memory with large pages once
// the model is built. A firing in a model of many thousands of groups touches objects spread over
// tens of megabytes; with ordinary pages nearly each of those touches also misses the processor's
// cache of address translations, which costs as much as the miss on the object itself. Where the
// system has no large pages, or the process may not use them, nothing changes; what the model
// computes never depends on it.
//
// It also maps pages of their own for start-up structures that are given back whole once the model
// is assembled: memory freed inside the heap stays resident, and gathering the heap into large
// pages would make freed pages resident again, where unmapped pages are gone at once.
#ifndef KAVRIN_BASECLASSES_LARGEMODELMEMORY_H
#define KAVRIN_BASECLASSES_LARGEMODELMEMORY_H

#include <cstddef>

class LargeModelMemory {
 public:
  // Backs the process's private writable memory (the heap and the large blocks beside it) with
  // large pages where at least one whole large page fits, now and for what it later grows into.
  // Returns the number of bytes it asked for (0 where the system offers nothing of the kind).
  static long long UseLargePages();

  // Zeroed, readable and writable pages of their own, at least bytes long; null when the system
  // refuses them. UnmapPages gives back what MapPages returned, with the same length.
  static void* MapPages(size_t bytes);
  static void UnmapPages(void* at, size_t bytes);
};

#endif
