#include "Performance_Variables/IntervalOfTimeImpulse.h"

IntervalOfTimeImpulse::IntervalOfTimeImpulse() : Accumulating(acc_later), TimeAveraged(false) {}

IntervalOfTimeImpulse::IntervalOfTimeImpulse(bool timeAveraged)
    : Accumulating(acc_later), TimeAveraged(timeAveraged) {}

IntervalOfTimeImpulse::~IntervalOfTimeImpulse() = default;

void IntervalOfTimeImpulse::completeAccumulation(double doneTime) {
  if (TimeAveraged) Impulse = Impulse / (min(doneTime, Stop) - Start);
}

// The firing being credited is the one at last_event_time; new_time is the next event's time.
void IntervalOfTimeImpulse::Accumulate(double /*new_time*/, double last_event_time) {
  if (Start <= last_event_time && last_event_time <= Stop) Impulse += Impulse_Function(last_event_time);
}

void IntervalOfTimeImpulse::CurrentImpulse() { Impulse = Impulse_Function(0.0); }

void IntervalOfTimeImpulse::Reset() {
  Impulse = 0.0;
  Accumulating = acc_later;
}
