#include "BaseClasses/state/ValueCellPool.h"

#include <new>
#include <vector>

namespace {

// One size class: the block being carved and the cells given back.
struct SizeClass {
  char* next = nullptr;
  size_t left = 0;
  std::vector<void*> returned;
  std::vector<char*> blocks;  // every block made, so that all of them stay reachable
};

constexpr size_t kBlockBytes = 16384;

int ClassOf(size_t size) { return size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3; }

// Made on first use and never destroyed: a variable may outlive every static of the process.
SizeClass* Classes() {
  static SizeClass* classes = new SizeClass[4];
  return classes;
}

}  // namespace

void* ValueCellPool::TakeRaw(size_t size) noexcept {
  SizeClass& c = Classes()[ClassOf(size)];
  if (!c.returned.empty()) {
    void* cell = c.returned.back();
    c.returned.pop_back();
    return cell;
  }
  if (c.left < size) {
    char* block = static_cast<char*>(::operator new(kBlockBytes, std::nothrow));
    if (block == nullptr) return nullptr;
    try {
      c.blocks.push_back(block);
    } catch (const std::bad_alloc&) {
      ::operator delete(block);
      return nullptr;
    }
    c.next = block;
    c.left = kBlockBytes;
  }
  void* cell = c.next;
  c.next += size;
  c.left -= size;
  return cell;
}

void ValueCellPool::GiveRaw(void* cell, size_t size) noexcept {
  // A cell that cannot be listed for reuse is only lost to reuse, not to the variable's value.
  try {
    Classes()[ClassOf(size)].returned.push_back(cell);
  } catch (const std::bad_alloc&) {
  }
}
