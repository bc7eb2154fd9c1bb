# Whole-program and profile-guided optimisation of the simulators.
#
# Link-time optimisation (KAVRIN_LTO, on by default in Release and RelWithDebInfo builds, off
# under the sanitizers): the framework, the generated model and the entry point are compiled for
# it, and each simulator is linked as one program, so that the compiler sees the model's
# enabling, firing and reward code next to the step that calls it. The objects are "fat": they
# also hold ordinary code, which the test programs that link the framework without link-time
# optimisation use, so those links stay quick.
#
# Profile-guided optimisation works in two passes over the same build tree (the objects keep
# their paths, so the second pass finds the profile the first wrote beside each object):
#   KAVRIN_PGO_PHASE=generate  the same targets, instrumented; running a simulator writes its profile
#   KAVRIN_PGO_PHASE=use       the same targets compiled with that profile
# cmake/KavrinPgoBuild.cmake drives both passes and the training runs between them.
#
# Nothing here changes the arithmetic: -ffp-contract=off and every other flag stay, and no flag
# that reorders floating-point operations is added, so results keep their bytes.
option(KAVRIN_LTO "Link the simulators with link-time optimisation in Release and RelWithDebInfo builds" ON)
set(KAVRIN_PGO_PHASE "" CACHE STRING "Profile-guided optimisation pass: empty, generate or use")
set_property(CACHE KAVRIN_PGO_PHASE PROPERTY STRINGS "" generate use)

set(KAVRIN_LTO_ACTIVE OFF)
# The build types linked with link-time optimisation: a modeller's folder (KavrinConfig.cmake)
# keeps its RelWithDebInfo links quick and optimises Release ones.
if(NOT DEFINED KAVRIN_LTO_BUILD_TYPES)
  set(KAVRIN_LTO_BUILD_TYPES Release RelWithDebInfo)
endif()
# The instrumented pass needs no link-time optimisation: counters are placed before it runs.
if(KAVRIN_LTO AND NOT KAVRIN_SANITIZE AND NOT KAVRIN_PGO_PHASE STREQUAL "generate"
   AND CMAKE_BUILD_TYPE IN_LIST KAVRIN_LTO_BUILD_TYPES)
  include(CheckIPOSupported)
  check_ipo_supported(RESULT _kavrin_ipo OUTPUT _kavrin_ipo_why LANGUAGES CXX)
  if(_kavrin_ipo)
    set(KAVRIN_LTO_ACTIVE ON)
  else()
    message(STATUS "Link-time optimisation is not available with this compiler: ${_kavrin_ipo_why}")
  endif()
endif()
if(NOT KAVRIN_PGO_PHASE STREQUAL "" AND NOT KAVRIN_PGO_PHASE MATCHES "^(generate|use)$")
  message(FATAL_ERROR "KAVRIN_PGO_PHASE is '${KAVRIN_PGO_PHASE}': it takes generate, use or nothing")
endif()
if(KAVRIN_PGO_PHASE AND KAVRIN_SANITIZE)
  message(FATAL_ERROR "Profile-guided optimisation and the sanitizers do not go together")
endif()

# The compile options of code that ends up in a simulator.
set(_kavrin_opt_compile)
set(_kavrin_opt_link)
if(KAVRIN_LTO_ACTIVE)
  list(APPEND _kavrin_opt_compile -flto=auto -ffat-lto-objects)
  # The link compiles the whole program again: it gets the arithmetic flags too. Across units
  # g++ 12 sees the overflow branch of new[]'s size computation for a class with a destructor
  # (the reward nodes' arrays) as a call with SIZE_MAX and warns; the size is a count of the
  # model's own impulses, never near that.
  list(APPEND _kavrin_opt_link -flto=auto -ffp-contract=off -Wno-alloc-size-larger-than)
endif()
if(KAVRIN_PGO_PHASE STREQUAL "generate")
  # One thread writes the counters: -fprofile-update=single keeps the instrumented program as fast
  # as it can be; the simulators count in one thread.
  list(APPEND _kavrin_opt_compile -fprofile-generate -fprofile-update=single)
  list(APPEND _kavrin_opt_link -fprofile-generate)
elseif(KAVRIN_PGO_PHASE STREQUAL "use")
  # Code the training did not reach is optimised as usual rather than for size.
  list(APPEND _kavrin_opt_compile -fprofile-use -fprofile-partial-training -Wno-missing-profile)
  list(APPEND _kavrin_opt_link -fprofile-use -fprofile-partial-training)
endif()

# kavrin_optimise_objects(TARGET): TARGET's objects go into simulators. Every other program that
# links them (the tests, the description tool) uses their ordinary code: with the linker plugin a
# link would otherwise optimise them at link time too, slowly. -fno-lto cannot simply come before
# a simulator's -flto on its link line (the driver keeps it), so it goes only to programs that
# are not marked as simulators.
function(kavrin_optimise_objects target)
  if(_kavrin_opt_compile)
    target_compile_options(${target} PRIVATE ${_kavrin_opt_compile})
  endif()
  if(KAVRIN_LTO_ACTIVE)
    target_link_options(${target} INTERFACE $<$<NOT:$<BOOL:$<TARGET_PROPERTY:KAVRIN_SIMULATOR>>>:-fno-lto>)
  endif()
  # Programs built from the framework's instrumented objects need the profiling run-time.
  if(KAVRIN_PGO_PHASE STREQUAL "generate")
    target_link_options(${target} INTERFACE -fprofile-generate)
  endif()
endfunction()

# kavrin_optimise_program(TARGET): TARGET is a simulator, linked as one optimised program.
function(kavrin_optimise_program target)
  set_target_properties(${target} PROPERTIES KAVRIN_SIMULATOR ON)
  kavrin_optimise_objects(${target})
  if(_kavrin_opt_link)
    target_link_options(${target} PRIVATE ${_kavrin_opt_link})
  endif()
  # Objects that carry link-time code (a framework compiled for it, linked here without) would
  # otherwise still be optimised at link time.
  if(NOT KAVRIN_LTO_ACTIVE)
    target_link_options(${target} PRIVATE -fno-lto)
  endif()
endfunction()
