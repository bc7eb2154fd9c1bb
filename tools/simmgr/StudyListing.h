// `simmgr --list -- SIMULATOR`: what a study has, read from the files the build wrote beside
// its simulator (SIMULATOR.pv, .pvkind and .study), without running it: the rows of
// observations with their kind and time window, the global variables with their -O letters,
// and the experiments with the values they give.
#ifndef KAVRIN_SIMMGR_STUDYLISTING_H
#define KAVRIN_SIMMGR_STUDYLISTING_H

#include <iosfwd>
#include <string>

#include "PVDescription.h"
#include "StudyFile.h"

namespace simmgr {

class StudyListing {
 public:
  StudyListing(const PVDescription& pv, const StudyFile& study) : _pv(pv), _study(study) {}
  void Write(std::ostream& out, const std::string& simulator) const;

 private:
  const PVDescription& _pv;
  const StudyFile& _study;
};

}  // namespace simmgr

#endif
