# Builds simulators with profile-guided optimisation, in two passes over one build tree:
#
#   cmake -DSOURCE=<repository> -DBUILD=<tree> [-DTARGETS="<sim>;..."] [-DCMAKE_ARGS="<arg>;..."]
#         [-DTRAINING="<sim> <args>|<sim> <args>|..."] [-DJOBS=<n>] -P cmake/KavrinPgoBuild.cmake
#
# CMAKE_ARGS are the tree's configure options, separated by "|", or else by blanks as a shell
# separates words (a path with a blank needs "|"). Without TARGETS every
# target is built and every simulator the tree puts in <tree>/bin is trained.
# 1. The tree is configured with KAVRIN_PGO_PHASE=generate and the targets are built instrumented.
# 2. The training runs: without TRAINING, each simulator of TARGETS runs its study's first
#    experiment once per kind of variable it has (its .pvkind file says which): 10,000 terminating
#    replications (-N 10000) and 50 steady-state batches (-t 0 -N 50), a few seconds in all for the
#    example models. TRAINING replaces that: runs separated by "|", each a simulator name followed
#    by its options. The runs add up their counts in one profile per object.
# 3. The tree is configured with KAVRIN_PGO_PHASE=use and the targets are built again from that
#    profile; the simulators end up where a plain build puts them (<tree>/bin).
foreach(v SOURCE BUILD)
  if(NOT DEFINED ${v} OR "${${v}}" STREQUAL "")
    message(FATAL_ERROR "KavrinPgoBuild: -D${v}=... is missing")
  endif()
endforeach()
if(CMAKE_ARGS MATCHES "[|]")
  string(REPLACE "|" ";" CMAKE_ARGS "${CMAKE_ARGS}")
else()
  separate_arguments(CMAKE_ARGS UNIX_COMMAND "${CMAKE_ARGS}")
endif()
if(NOT DEFINED JOBS)
  cmake_host_system_information(RESULT JOBS QUERY NUMBER_OF_LOGICAL_CORES)
endif()

function(pgo_run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    string(REPLACE ";" " " _cmd "${ARGN}")
    message(FATAL_ERROR "KavrinPgoBuild: failed (${_status}): ${_cmd}")
  endif()
endfunction()

function(pgo_pass phase)
  if(TARGETS)
    message(STATUS "Profile-guided build, pass '${phase}': ${TARGETS}")
    set(_targets --target ${TARGETS})
  else()
    message(STATUS "Profile-guided build, pass '${phase}': every target")
  endif()
  pgo_run(${CMAKE_COMMAND} -S ${SOURCE} -B ${BUILD} ${CMAKE_ARGS} -DKAVRIN_PGO_PHASE=${phase})
  pgo_run(${CMAKE_COMMAND} --build ${BUILD} -j ${JOBS} ${_targets})
endfunction()

pgo_pass(generate)

# A profile left by an earlier training would be added to this one.
file(GLOB_RECURSE _old ${BUILD}/*.gcda)
if(_old)
  file(REMOVE ${_old})
endif()
set(_work ${BUILD}/pgo-training)
file(MAKE_DIRECTORY ${_work})
set(_runs)
if(DEFINED TRAINING AND NOT TRAINING STREQUAL "")
  string(REPLACE "|" ";" _runs "${TRAINING}")
else()
  set(_sims ${TARGETS})
  if(NOT TARGETS)
    file(GLOB _found RELATIVE ${BUILD}/bin ${BUILD}/bin/*.pvkind)
    string(REPLACE ".pvkind" "" _sims "${_found}")
  endif()
  foreach(sim ${_sims})
    set(_kinds ${BUILD}/bin/${sim}.pvkind)
    if(NOT EXISTS ${_kinds})
      message(FATAL_ERROR "KavrinPgoBuild: ${_kinds} is missing: is ${sim} a simulator?")
    endif()
    file(STRINGS ${_kinds} _lines)
    if(_lines MATCHES " terminating")
      list(APPEND _runs "${sim} -N 10000")
    endif()
    if(_lines MATCHES " steady_state")
      list(APPEND _runs "${sim} -t 0 -N 50")
    endif()
  endforeach()
endif()
foreach(run ${_runs})
  separate_arguments(_args UNIX_COMMAND "${run}")
  list(POP_FRONT _args _sim)
  message(STATUS "Training run: ${run}")
  execute_process(COMMAND ${BUILD}/bin/${_sim} ${_args} WORKING_DIRECTORY ${_work}
                  OUTPUT_FILE ${_work}/${_sim}.out ERROR_FILE ${_work}/${_sim}.err RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "KavrinPgoBuild: the training run '${run}' failed (${_status}); see ${_work}/${_sim}.err")
  endif()
endforeach()

pgo_pass(use)
