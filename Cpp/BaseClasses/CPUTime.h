// Processor time used by the process since Start(), in seconds.
#ifndef CPU_TIME_H
#define CPU_TIME_H

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
