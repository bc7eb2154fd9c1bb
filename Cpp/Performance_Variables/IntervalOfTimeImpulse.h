// The framework's accumulation rule for impulses: the impulses of the firings inside the window
// [Start, Stop] are summed and, for a time-averaged variable, divided by the window's length once
// at completion. Generated impulse classes supply Impulse_Function and the worker factory.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_INTERVALOFTIMEIMPULSE_H
#define KAVRIN_PERFORMANCE_VARIABLES_INTERVALOFTIMEIMPULSE_H

#include "BaseClasses/KavrinEnums.h"
#include "Performance_Variables/ImpulseNodeClass.h"

class IntervalOfTimeImpulse : public ImpulseNodeClass {
 public:
  AccumulationState Accumulating;
  bool TimeAveraged;

  IntervalOfTimeImpulse();
  explicit IntervalOfTimeImpulse(bool timeAveraged);
  ~IntervalOfTimeImpulse() override;

  void completeAccumulation(double doneTime) override;
  void Accumulate(double new_time, double last_event_time) override;
  void CurrentImpulse() override;
  void Reset() override;
};

#endif
