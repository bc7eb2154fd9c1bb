#include <sys/mman.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "BaseClasses/LargeModelMemory.h"

#if defined(__linux__) && !defined(MADV_COLLAPSE)
// Linux 6.1 and later; the C library's headers may not name it yet.
#define MADV_COLLAPSE 25
#endif

long long LargeModelMemory::UseLargePages() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  constexpr uintptr_t kLargestBlock = uintptr_t{1} << 30;
  std::ifstream maps("/proc/self/maps");
  if (!maps) return 0;
  long long advised = 0;
  std::string line;
  while (std::getline(maps, line)) {
    // "start-end perms offset device inode [path]": private writable memory that maps no file,
    // the heap among it; not the stack.
    std::istringstream fields(line);
    std::string range, perms, offset, device, inode, path;
    if (!(fields >> range >> perms >> offset >> device >> inode)) continue;
    fields >> path;
    if (perms.compare(0, 2, "rw") != 0 || perms.size() < 4 || perms[3] != 'p' || inode != "0") continue;
    if (!path.empty() && path != "[heap]") continue;
    const size_t dash = range.find('-');
    if (dash == std::string::npos) continue;
    const uintptr_t start = std::stoull(range.substr(0, dash), nullptr, 16);
    const uintptr_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
    const uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t last = end & ~(kLargePage - 1);
    if (last <= first) continue;
    // A block larger than this is address space set aside rather than a model's memory (a
    // sanitizer's shadow is terabytes): gathering it would be slow and would make it resident.
    if (path.empty() && last - first > kLargestBlock) continue;
    void* at = reinterpret_cast<void*>(first);
    const size_t length = last - first;
    if (madvise(at, length, MADV_HUGEPAGE) != 0) continue;
    // Pages already touched are gathered into large ones now rather than by the kernel's slow
    // background scan; a kernel without the request refuses it, which changes nothing. One large
    // page at a time: a request over a range stops at the first page it cannot gather.
    for (uintptr_t page = first; page < last; page += kLargePage)
      (void)madvise(reinterpret_cast<void*>(page), kLargePage, MADV_COLLAPSE);
    advised += static_cast<long long>(length);
  }
  return advised;
#else
  return 0;
#endif
}

void* LargeModelMemory::MapPages(size_t bytes) {
  if (bytes == 0) return nullptr;
  void* at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return at == MAP_FAILED ? nullptr : at;
}

void LargeModelMemory::UnmapPages(void* at, size_t bytes) {
  if (at != nullptr) (void)munmap(at, bytes);
}
