#include "Simulator/PAddress.h"

#include <cstddef>

static_assert(offsetof(PAddress, event) == 0, "EventList::Remove(void*) reads the slot from the front");
