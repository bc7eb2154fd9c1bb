// SplitName: a name kept as two interned texts (KavrinName.h), the part before its last dot and
// the part after it, that reads as the whole text. The copies of a replicated submodel name their
// actions "<copy's path>.<action>": split, every copy shares the action's own text and each copy
// its path (with its places' prefix), where whole texts would be one new text per action. Both
// parts are kept as the store's numbers for their texts, so a name takes 8 bytes. The whole text
// is made (and interned) the first time it is read; a name without a dot is never split. Reading
// is not safe against a first read of the same name from another thread.
#ifndef KAVRIN_BASECLASSES_SPLITNAME_H
#define KAVRIN_BASECLASSES_SPLITNAME_H

#include <cstddef>
#include <cstdint>

#include "BaseClasses/KavrinName.h"

class SplitName {
 public:
  explicit SplitName(const char* name);

  // A null name is the empty one.
  void set(const char* name);
  // The whole text; valid for the life of the process.
  const char* get() const { return Path == kNoPath ? KavrinInternedText(Text) : join(); }
  operator const char*() const { return get(); }

  // Whether the name is kept split (the whole text not made yet).
  bool split() const { return Path != kNoPath; }

  // A name is never null: comparing with null needs no whole text.
  friend bool operator==(const SplitName&, std::nullptr_t) { return false; }
  friend bool operator!=(const SplitName&, std::nullptr_t) { return true; }

 private:
  static constexpr uint32_t kNoPath = UINT32_MAX;

  const char* join() const;

  mutable uint32_t Text;  // after the last dot, or the whole text when there is no path
  mutable uint32_t Path;  // before the last dot, or kNoPath
};

#endif
