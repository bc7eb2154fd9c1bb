// Processor time used by the process since Start(), in seconds.
#ifndef KAVRIN_BASECLASSES_CPUTIME_H
#define KAVRIN_BASECLASSES_CPUTIME_H

class CPUTime {
 public:
  CPUTime();
  ~CPUTime();
  void Start();
  double GetTime();

  double _initialCPUClock;
  double _initialSYSClock;
};

#endif
