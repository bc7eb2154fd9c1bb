#include "BaseClasses/KavrinName.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "BaseClasses/StandardErrors.h"

namespace {

// The texts sit end to end in large blocks (no allocator header or rounding per text); a table of
// pointers, open addressing at most half full, finds a text's one copy.
class NameStore {
 public:
  const char* intern(const char* text, size_t length, const char* failureLine) {
    std::lock_guard<std::mutex> hold(Lock);
    if (2 * (Count + 1) > Table.size()) grow(failureLine);
    const size_t mask = Table.size() - 1;
    for (size_t at = hash(text, length) & mask;; at = (at + 1) & mask) {
      const char* here = Table[at];
      if (here == nullptr) {
        here = store(text, length, failureLine);
        Table[at] = here;
        Count++;
        return here;
      }
      if (std::strncmp(here, text, length) == 0 && here[length] == '\0') return here;
    }
  }

  size_t count() {
    std::lock_guard<std::mutex> hold(Lock);
    return Count;
  }

 private:
  static constexpr size_t kBlock = 16 * 1024;

  static size_t hash(const char* text, size_t length) {
    std::uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < length; i++) {
      h ^= static_cast<unsigned char>(text[i]);
      h *= 1099511628211ull;
    }
    return static_cast<size_t>(h ^ (h >> 29));
  }

  char* store(const char* text, size_t length, const char* failureLine) {
    const size_t need = length + 1;
    char* at;
    if (need > kBlock / 8) {  // a long text gets a block of its own
      at = takeBlock(need, failureLine);
    } else {
      if (Left < need) {
        Free = takeBlock(kBlock, failureLine);
        Left = kBlock;
      }
      at = Free;
      Free += need;
      Left -= need;
    }
    std::memcpy(at, text, length);
    at[length] = '\0';
    return at;
  }

  static char* takeBlock(size_t n, const char* failureLine) {
    char* block = new (std::nothrow) char[n];
    if (block == nullptr) MemoryAllocationError(failureLine);
    return block;
  }

  void grow(const char* failureLine) {
    std::vector<const char*> old;
    old.swap(Table);
    try {
      Table.assign(old.empty() ? 1024 : 2 * old.size(), nullptr);
    } catch (const std::bad_alloc&) {
      MemoryAllocationError(failureLine);
    }
    const size_t mask = Table.size() - 1;
    for (const char* text : old) {
      if (text == nullptr) continue;
      size_t at = hash(text, std::strlen(text)) & mask;
      while (Table[at] != nullptr) at = (at + 1) & mask;
      Table[at] = text;
    }
  }

  std::mutex Lock;
  std::vector<const char*> Table;
  size_t Count = 0;
  char* Free = nullptr;
  size_t Left = 0;
};

// Made on first use and never destroyed: names stay valid while other objects of static lifetime
// are destroyed at exit.
NameStore& store() {
  static NameStore* s = new NameStore();
  return *s;
}

}  // namespace

const char* KavrinInternName(const char* name, const char* failureLine) {
  if (name == nullptr) return nullptr;
  return store().intern(name, std::strlen(name), failureLine);
}

const char* KavrinInternName(const char* name, size_t length, const char* failureLine) {
  if (name == nullptr) return nullptr;
  return store().intern(name, length, failureLine);
}

size_t KavrinInternedNames() { return store().count(); }

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
