#include "BaseClasses/SAN/Place.h"

#include "BaseClasses/debug.h"

Place::Place() : SharableSV<short>() {
  Register(&TheState);
  *TheState = 0;
}

Place::Place(const char* name) : SharableSV<short>() {
  SetName(name);
  Register(&TheState);
  *TheState = 0;
}

Place::Place(const char* name, short initialMarking) : SharableSV<short>() {
  SetName(name);
  Register(&TheState);
  *TheState = initialMarking;
  KAVRIN_DEBUG(1, "Initial Marking for " << getName() << " is " << initialMarking);
}
