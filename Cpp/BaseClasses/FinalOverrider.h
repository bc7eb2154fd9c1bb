// KAVRIN_IS_OWN_OVERRIDER(object, Base, Own, Slot, Fn): true when the function that a virtual call
// of Base::Slot on object would run is Own::Slot, i.e. no class below Own has overridden it. Hot
// loops use it once at set-up to call the framework's own code directly (inlined, no dispatch)
// and keep the virtual call for everything a model defines itself. Fn is the slot's type as a
// free function taking Base* first.
//
// Standard C++ cannot name the function a virtual call would run. GCC can: a pointer to member
// function bound to an object converts to the address of its final overrider (an extension, with
// a statement expression to silence its warning; mingw-w64's GCC has it too). Elsewhere, or with
// KAVRIN_PORTABLE_OVERRIDER defined, the answer is the portable and conservative one: only an
// object whose dynamic type is exactly Own qualifies, so an object of a class derived from Own
// takes the virtual call even where it overrides nothing. Both give the same results; the
// extension only keeps more objects on the direct path.
// KAVRIN_NAMES_FINAL_OVERRIDER is 1 where the extension is used, 0 otherwise.
#ifndef KAVRIN_BASECLASSES_FINALOVERRIDER_H
#define KAVRIN_BASECLASSES_FINALOVERRIDER_H

#include <typeinfo>

#if defined(__GNUC__) && !defined(__clang__) && !defined(KAVRIN_PORTABLE_OVERRIDER)
#define KAVRIN_NAMES_FINAL_OVERRIDER 1
#define KAVRIN_IS_OWN_OVERRIDER(object, Base, Own, Slot, Fn)                                           \
  (__extension__({                                                                                     \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wpmf-conversions\"") bool own_ = \
        (Fn)((object)->*(&Base::Slot)) == (Fn)(&Own::Slot);                                            \
    _Pragma("GCC diagnostic pop") own_;                                                                \
  }))
#else
#define KAVRIN_NAMES_FINAL_OVERRIDER 0
#define KAVRIN_IS_OWN_OVERRIDER(object, Base, Own, Slot, Fn) (typeid(*(object)) == typeid(Own))
#endif

#endif
