// KAVRIN_IS_OWN_OVERRIDER(object, Base, Own, Slot, Fn): true when the function that a virtual call
// of Base::Slot on object would run is Own::Slot, i.e. no class below Own has overridden it. Hot
// loops use it once at set-up to call the framework's own code directly (inlined, no dispatch)
// and keep the virtual call for everything a model defines itself. Fn is the slot's type as a
// free function taking Base* first. Where the compiler cannot name the final overrider, only an
// object whose dynamic type is exactly Own qualifies.
#ifndef KAVRIN_BASECLASSES_FINALOVERRIDER_H
#define KAVRIN_BASECLASSES_FINALOVERRIDER_H

#include <typeinfo>

#if defined(__GNUC__) && !defined(__clang__)
#define KAVRIN_IS_OWN_OVERRIDER(object, Base, Own, Slot, Fn)                                           \
  (__extension__({                                                                                     \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wpmf-conversions\"") bool own_ = \
        (Fn)((object)->*(&Base::Slot)) == (Fn)(&Own::Slot);                                            \
    _Pragma("GCC diagnostic pop") own_;                                                                \
  }))
#else
#define KAVRIN_IS_OWN_OVERRIDER(object, Base, Own, Slot, Fn) (typeid(*(object)) == typeid(Own))
#endif

#endif
