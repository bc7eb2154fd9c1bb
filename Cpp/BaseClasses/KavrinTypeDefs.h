// Fixed-width names for the widths the design relies on: its "long" is 32 bits everywhere.
#ifndef KAVRIN_TYPEDEFS_H
#define KAVRIN_TYPEDEFS_H

#include <cstdint>

typedef int32_t KavrinLong;    // a 32-bit signed "long" of the design
typedef uint32_t KavrinULong;  // a 32-bit unsigned "long" of the design

static_assert(sizeof(KavrinLong) == 4, "the design's long is 32 bits");
static_assert(sizeof(double) == 8, "doubles are IEEE 754 binary64");

#endif
