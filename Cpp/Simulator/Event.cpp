#include "Simulator/Event.h"

#include "BaseClasses/BaseActionClass.h"

Event::Event() : exec_time(-1.0), start_time(0.0), action_ptr(nullptr), affects(nullptr) {}

Event::Event(double exec, double start, BaseActionClass* action)
    : exec_time(exec), start_time(start), action_ptr(action), affects(action ? action->Affects : nullptr) {}
