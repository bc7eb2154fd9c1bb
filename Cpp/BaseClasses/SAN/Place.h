// Place: a SAN place, a state variable holding a signed 16-bit token count (its marking).
// Its marking is the value cell in use, which sharing keeps current, so generated code may read
// and write markings through Mark().
#ifndef KAVRIN_BASECLASSES_SAN_PLACE_H
#define KAVRIN_BASECLASSES_SAN_PLACE_H

#include "BaseClasses/state/SharableSV.h"

class Place : public SharableSV<short> {
 public:
  Place();
  explicit Place(const char* name);
  Place(const char* name, short initialMarking);

  short& Mark() { return *TheState; }
  short getMark() const { return *TheState; }
  void setMark(short m) { *TheState = m; }
};

#endif
