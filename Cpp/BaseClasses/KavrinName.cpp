#include "BaseClasses/KavrinName.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "BaseClasses/StandardErrors.h"

namespace {

// The texts sit end to end in large blocks (no allocator header or rounding per text). Each has a
// number; a table of numbers, open addressing at most half full, finds a text's one copy, and the
// texts by number sit in chunks that never move, so that a number is read without the lock (whoever
// holds a number got it from intern(), which published its text).
class NameStore {
 public:
  uint32_t intern(const char* text, size_t length, const char* failureLine) {
    std::lock_guard<std::mutex> hold(Lock);
    if (2 * (Count + 1) > Table.size()) grow(failureLine);
    const size_t mask = Table.size() - 1;
    for (size_t at = hash(text, length) & mask;; at = (at + 1) & mask) {
      const uint32_t here = Table[at];
      if (here == kEmpty) {
        const uint32_t number = add(store(text, length, failureLine), failureLine);
        Table[at] = number;
        return number;
      }
      const char* known = this->text(here);
      if (std::strncmp(known, text, length) == 0 && known[length] == '\0') return here;
    }
  }

  const char* text(uint32_t number) const { return Chunks[number >> kChunkBits][number & (kChunk - 1)]; }

  size_t count() {
    std::lock_guard<std::mutex> hold(Lock);
    return Count;
  }

 private:
  static constexpr size_t kBlock = 16 * 1024;
  static constexpr uint32_t kEmpty = UINT32_MAX;
  // A chunk is large enough to be mapped on its own, so only the pages written are resident.
  static constexpr unsigned kChunkBits = 16;
  static constexpr size_t kChunk = size_t{1} << kChunkBits;
  static constexpr size_t kChunks = size_t{1} << 10;  // room for 67 million texts

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

  // Gives the stored text the next number.
  uint32_t add(const char* stored, const char* failureLine) {
    const size_t chunk = Count >> kChunkBits;
    if (chunk >= kChunks) MemoryAllocationError(failureLine);
    if (Chunks[chunk] == nullptr) {
      Chunks[chunk] = new (std::nothrow) const char*[kChunk];
      if (Chunks[chunk] == nullptr) MemoryAllocationError(failureLine);
    }
    Chunks[chunk][Count & (kChunk - 1)] = stored;
    return static_cast<uint32_t>(Count++);
  }

  static char* takeBlock(size_t n, const char* failureLine) {
    char* block = new (std::nothrow) char[n];
    if (block == nullptr) MemoryAllocationError(failureLine);
    return block;
  }

  void grow(const char* failureLine) {
    std::vector<uint32_t> old;
    old.swap(Table);
    try {
      Table.assign(old.empty() ? 1024 : 2 * old.size(), kEmpty);
    } catch (const std::bad_alloc&) {
      MemoryAllocationError(failureLine);
    }
    const size_t mask = Table.size() - 1;
    for (const uint32_t number : old) {
      if (number == kEmpty) continue;
      const char* known = text(number);
      size_t at = hash(known, std::strlen(known)) & mask;
      while (Table[at] != kEmpty) at = (at + 1) & mask;
      Table[at] = number;
    }
  }

  std::mutex Lock;
  std::vector<uint32_t> Table;
  size_t Count = 0;
  char* Free = nullptr;
  size_t Left = 0;
  const char** Chunks[kChunks] = {};
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
  NameStore& s = store();
  return s.text(s.intern(name, std::strlen(name), failureLine));
}

const char* KavrinInternName(const char* name, size_t length, const char* failureLine) {
  if (name == nullptr) return nullptr;
  NameStore& s = store();
  return s.text(s.intern(name, length, failureLine));
}

uint32_t KavrinInternNumber(const char* name, size_t length, const char* failureLine) {
  return store().intern(name, length, failureLine);
}

const char* KavrinInternedText(uint32_t number) { return store().text(number); }

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
