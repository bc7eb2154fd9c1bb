// Place: a SAN place, a state variable holding a signed 16-bit token count (its marking).
// TheMark is the place's own view of the marking; the sharing chain keeps it pointing at the
// value cell in use, so generated code may read and write markings through Mark().
#ifndef KAVRIN_BASECLASSES_SAN_PLACE_H
#define KAVRIN_BASECLASSES_SAN_PLACE_H

#include "BaseClasses/state/SharableSV.h"

class Place : public SharableSV<short> {
 protected:
  short* TheMark;

 public:
  Place();
  explicit Place(const char* name);
  Place(const char* name, short initialMarking);

  short& Mark() { return *TheMark; }
  short getMark() const { return *TheMark; }
  void setMark(short m) { *TheMark = m; }
};

#endif
