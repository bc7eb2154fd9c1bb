#include "BaseClasses/List.h"

#include <cstdlib>

#include "BaseClasses/StandardErrors.h"

void KavrinOutOfMemory() { MemoryAllocationError(); }
