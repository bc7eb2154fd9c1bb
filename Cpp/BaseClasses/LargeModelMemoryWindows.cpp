#include "BaseClasses/LargeModelMemory.h"

// Large pages on Windows need a privilege an ordinary user does not hold: nothing is asked.
long long LargeModelMemory::UseLargePages() { return 0; }
