# What our own targets are compiled with, set on each target (kavrin_our_target) instead of
# directory-wide:
#
# - KAVRIN_WARNING_OPTIONS: -Wall -Wextra -Wshadow, with -Werror when KAVRIN_WERROR, and
#   -ffp-contract=off, so that no fused multiply-add changes a number anywhere (the manager's
#   statistics included). Code we do not own (third-party headers) is not held to them.
# - KAVRIN_SANITIZER_OPTIONS: AddressSanitizer and UndefinedBehaviorSanitizer in a KAVRIN_SANITIZE
#   build, nothing otherwise. The framework passes them on to everything compiled against it in
#   this tree (generated models, tests), so the whole program is instrumented.
#
# C++17 and -ffp-contract=off also travel PUBLIC with the framework library itself (Cpp/), so that
# a model compiled in a modeller's own folder draws the same samples. The options are set on the
# targets rather than linked as interface libraries, so that the exported package names no target
# of this build's own.
set(KAVRIN_WARNING_OPTIONS -Wall -Wextra -Wshadow -ffp-contract=off)
if(KAVRIN_WERROR)
  list(APPEND KAVRIN_WARNING_OPTIONS -Werror)
endif()
set(KAVRIN_SANITIZER_OPTIONS)
if(KAVRIN_SANITIZE)
  set(KAVRIN_SANITIZER_OPTIONS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  set(KAVRIN_SANITIZER_LINK_OPTIONS -fsanitize=address,undefined)
endif()

# kavrin_our_target([NO_SANITIZERS] targets...): our warnings, and the sanitizers unless
# NO_SANITIZERS, for each target that exists.
function(kavrin_our_target)
  cmake_parse_arguments(O "NO_SANITIZERS" "" "" ${ARGN})
  foreach(t ${O_UNPARSED_ARGUMENTS})
    if(NOT TARGET ${t})
      continue()
    endif()
    target_compile_options(${t} PRIVATE ${KAVRIN_WARNING_OPTIONS})
    if(KAVRIN_SANITIZE AND NOT O_NO_SANITIZERS)
      target_compile_options(${t} PRIVATE ${KAVRIN_SANITIZER_OPTIONS})
      get_target_property(_type ${t} TYPE)
      if(NOT _type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY)$")
        target_link_options(${t} PRIVATE ${KAVRIN_SANITIZER_LINK_OPTIONS})
      endif()
    endif()
  endforeach()
endfunction()
