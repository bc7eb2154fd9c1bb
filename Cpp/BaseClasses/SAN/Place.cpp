#include "BaseClasses/SAN/Place.h"

#include "BaseClasses/debug.h"

Place::Place() : SharableSV<short>(), TheMark(nullptr) {
  Register(&TheMark);
  *TheMark = 0;
}

Place::Place(const char* name) : SharableSV<short>(), TheMark(nullptr) {
  SetName(name);
  Register(&TheMark);
  *TheMark = 0;
}

Place::Place(const char* name, short initialMarking) : SharableSV<short>(), TheMark(nullptr) {
  SetName(name);
  Register(&TheMark);
  *TheMark = initialMarking;
  KAVRIN_DEBUG(1, "Initial Marking for " << getName() << " is " << initialMarking);
}
