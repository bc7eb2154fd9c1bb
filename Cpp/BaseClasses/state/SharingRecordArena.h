// SharingRecordArena: where the records of the sharing chains live. A chain's records are needed
// only while variables are still being joined; once a model is assembled nothing joins them any
// more, and a large model's records (a few per place and one per activity's view of a place) are
// a tenth of its memory. The arena carves records of 8 to 32 bytes (multiples of 8) from pages of
// their own, reuses returned ones, and gives every page back to the system at once when no record
// is left, so that the memory is gone before the simulator builds its own tables.
#ifndef KAVRIN_BASECLASSES_STATE_SHARINGRECORDARENA_H
#define KAVRIN_BASECLASSES_STATE_SHARINGRECORDARENA_H

#include <cstddef>

class SharingRecordArena {
 public:
  // Raw memory for one record of size bytes (8, 16, 24 or 32), aligned to 8; null only when
  // memory runs out.
  static void* Take(size_t size) noexcept;
  // Returns a record made by Take with the same size; null is ignored.
  static void Give(void* record, size_t size) noexcept;

  // Records taken and not given back, over every size.
  static size_t Outstanding();
  // When no record is outstanding, gives every page back and returns true; otherwise keeps them.
  static bool ReleaseIfEmpty();
  // Bytes of pages held now.
  static size_t BytesHeld();
};

#endif
