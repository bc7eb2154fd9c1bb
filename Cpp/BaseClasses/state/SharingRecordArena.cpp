#include "BaseClasses/state/SharingRecordArena.h"

#include <new>
#include <vector>

#include "BaseClasses/LargeModelMemory.h"

namespace {

constexpr size_t kBlockBytes = 65536;
constexpr int kClasses = 4;  // 8, 16, 24 and 32 bytes

struct SizeClass {
  char* next = nullptr;
  size_t left = 0;
  std::vector<void*> returned;
};

struct Arena {
  SizeClass classes[kClasses];
  std::vector<void*> blocks;
  size_t outstanding = 0;
};

// Made on first use and never destroyed: a variable may outlive every static of the process.
Arena& TheArena() {
  static Arena* arena = new Arena();
  return *arena;
}

int ClassOf(size_t size) { return static_cast<int>(size / 8) - 1; }

}  // namespace

void* SharingRecordArena::Take(size_t size) noexcept {
  Arena& arena = TheArena();
  SizeClass& c = arena.classes[ClassOf(size)];
  void* record = nullptr;
  if (!c.returned.empty()) {
    record = c.returned.back();
    c.returned.pop_back();
  } else {
    if (c.left < size) {
      void* block = LargeModelMemory::MapPages(kBlockBytes);
      if (block == nullptr) return nullptr;
      try {
        arena.blocks.push_back(block);
      } catch (const std::bad_alloc&) {
        LargeModelMemory::UnmapPages(block, kBlockBytes);
        return nullptr;
      }
      c.next = static_cast<char*>(block);
      c.left = kBlockBytes;
    }
    record = c.next;
    c.next += size;
    c.left -= size;
  }
  arena.outstanding++;
  return record;
}

void SharingRecordArena::Give(void* record, size_t size) noexcept {
  if (record == nullptr) return;
  Arena& arena = TheArena();
  arena.outstanding--;
  // A record that cannot be listed for reuse is only lost to reuse until the pages go back.
  try {
    arena.classes[ClassOf(size)].returned.push_back(record);
  } catch (const std::bad_alloc&) {
  }
}

size_t SharingRecordArena::Outstanding() { return TheArena().outstanding; }

bool SharingRecordArena::ReleaseIfEmpty() {
  Arena& arena = TheArena();
  if (arena.outstanding != 0) return false;
  for (void* block : arena.blocks) LargeModelMemory::UnmapPages(block, kBlockBytes);
  std::vector<void*>().swap(arena.blocks);
  for (SizeClass& c : arena.classes) {
    c.next = nullptr;
    c.left = 0;
    std::vector<void*>().swap(c.returned);
  }
  return true;
}

size_t SharingRecordArena::BytesHeld() { return TheArena().blocks.size() * kBlockBytes; }
