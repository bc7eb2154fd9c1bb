# kavrin_add_model(<file.yaml> [SIMULATOR <name>] [WERROR] [PGO [TRAINING "<options>|..."]]): a
# simulator built from one model description. sangen writes the generated model into the build tree whenever the description
# changes; the simulator (default <study>Sim) gets its .pv/.pvkind files beside it, and a drawing
# of the net (<simulator>.svg) when Graphviz is installed.
#
# Inside this repository the simulator is a target of the main build. Included from a project of
# its own (a modeller's folder), the function builds the framework and the simulator in a tree of
# the repository's own, below the project's build folder, and copies the simulator back:
#
#   cmake_minimum_required(VERSION 3.25)
#   project(my_model CXX C)
#   include(/path/to/kavrin/cmake/KavrinModel.cmake)
#   kavrin_add_model(my_model.yaml)
#
# PGO (in a modeller's own project): the simulator is built twice, instrumented and then with the
# profile of a training run of its own study (by default the first experiment, 10,000 replications
# and 50 steady-state batches, for the kinds of variable it has; TRAINING gives other options,
# runs separated by "|", for example TRAINING "-N 2000|-t 0 -e 1 -N 20"). See
# cmake/KavrinPgoBuild.cmake. Release simulators are linked with link-time optimisation either way
# (KAVRIN_LTO, cmake/KavrinOptimise.cmake).
get_filename_component(KAVRIN_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# kavrin_model_names(<yaml> <model-var> <reward-var> <study-var>): the names a description gives
# its atomic model, reward model and study (the same rules as sangen's).
function(kavrin_model_names yaml out_model out_reward out_study)
  file(STRINGS ${yaml} _lines)
  set(_model "")
  set(_reward "")
  set(_study "")
  set(_in_study FALSE)
  set(_indent "")
  foreach(_line IN LISTS _lines)
    if(_line MATCHES "^model:[ \t]*[\"']?([A-Za-z_][A-Za-z0-9_]*)")
      set(_model ${CMAKE_MATCH_1})
      set(_in_study FALSE)
    elseif(_line MATCHES "^reward_model:[ \t]*[\"']?([A-Za-z_][A-Za-z0-9_]*)")
      set(_reward ${CMAKE_MATCH_1})
      set(_in_study FALSE)
    elseif(_line MATCHES "^study:")
      set(_in_study TRUE)
    elseif(_line MATCHES "^[A-Za-z_]")
      set(_in_study FALSE)
    elseif(_in_study AND _line MATCHES "^([ \t]+)[A-Za-z_]")
      # The study's own keys sit at the first indentation below it.
      if(_indent STREQUAL "")
        set(_indent "${CMAKE_MATCH_1}")
      endif()
      if(_line MATCHES "^${_indent}name:[ \t]*[\"']?([A-Za-z_][A-Za-z0-9_]*)")
        set(_study ${CMAKE_MATCH_1})
      endif()
    endif()
  endforeach()
  if(_model STREQUAL "")
    message(FATAL_ERROR "${yaml}: no 'model:' line with the model's name")
  endif()
  string(TOUPPER ${_model} _upper)
  if(_reward STREQUAL "")
    set(_reward ${_upper}_REWARD)
  endif()
  if(_study STREQUAL "")
    set(_study ${_upper}_STUDY)
  endif()
  set(${out_model} ${_model} PARENT_SCOPE)
  set(${out_reward} ${_reward} PARENT_SCOPE)
  set(${out_study} ${_study} PARENT_SCOPE)
endfunction()

function(kavrin_add_model yaml)
  cmake_parse_arguments(M "WERROR;PGO" "SIMULATOR;TRAINING" "" ${ARGN})
  get_filename_component(_yaml ${yaml} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  kavrin_model_names(${_yaml} _model _reward _study)
  set(_sim ${_study}Sim)
  if(M_SIMULATOR)
    set(_sim ${M_SIMULATOR})
  endif()

  if(NOT TARGET kavrin_framework)
    # A modeller's own project: build in a tree of the repository's, then copy the results here.
    set(_tree ${CMAKE_BINARY_DIR}/kavrin)
    set(_check OFF)
    if(KAVRIN_MODEL_CHECK)
      set(_check ON)
    endif()
    set(_lto ON)
    if(DEFINED KAVRIN_LTO AND NOT KAVRIN_LTO)
      set(_lto OFF)
    endif()
    set(_args -DKAVRIN_FRAMEWORK_ONLY=ON "-DKAVRIN_MODELS=${_yaml}" -DKAVRIN_MODEL_CHECK=${_check}
              -DKAVRIN_LTO=${_lto})
    if(M_PGO)
      set(_training)
      if(M_TRAINING)
        # Every run of the training is one of this simulator.
        string(REPLACE "|" "|${_sim} " _training "${_sim} ${M_TRAINING}")
      endif()
      string(REPLACE ";" "|" _pgo_args "${_args};-DCMAKE_BUILD_TYPE=Release")
      set(_build_steps
        COMMAND ${CMAKE_COMMAND} -DSOURCE=${KAVRIN_ROOT} -DBUILD=${_tree} -DTARGETS=${_sim}
                "-DCMAKE_ARGS=${_pgo_args}" "-DTRAINING=${_training}"
                -P ${KAVRIN_ROOT}/cmake/KavrinPgoBuild.cmake)
    else()
      set(_build_steps
        COMMAND ${CMAKE_COMMAND} -S ${KAVRIN_ROOT} -B ${_tree} ${_args} -DCMAKE_BUILD_TYPE=RelWithDebInfo
        COMMAND ${CMAKE_COMMAND} --build ${_tree} --target ${_sim})
    endif()
    add_custom_target(${_sim} ALL
      ${_build_steps}
      COMMAND ${CMAKE_COMMAND} -E copy ${_tree}/bin/${_sim}${CMAKE_EXECUTABLE_SUFFIX} ${_tree}/bin/${_sim}.pv ${_tree}/bin/${_sim}.pvkind
              ${_tree}/bin/${_sim}.study
              ${CMAKE_BINARY_DIR}
      DEPENDS ${_yaml}
      COMMENT "Building ${_sim} from ${yaml}"
      VERBATIM)
    return()
  endif()

  if(M_PGO AND NOT KAVRIN_PGO_PHASE)
    # In a tree of the repository's the passes are the whole tree's: cmake/KavrinPgoBuild.cmake.
    message(STATUS "${_sim}: PGO applies to a model's own project; this tree is built from a profile "
                   "by cmake -P cmake/KavrinPgoBuild.cmake (make bench does)")
  endif()
  set(_out ${CMAKE_BINARY_DIR}/generated/${_sim})
  set(_sources
    ${_out}/Atomic/${_model}/${_model}SAN.cpp
    ${_out}/Reward/${_reward}/${_reward}PVModel.cpp
    ${_out}/Reward/${_reward}/${_reward}PVNodes.cpp
    ${_out}/Study/${_study}/${_study}SetStudy.cpp
    ${_out}/Study/${_study}/${_study}Provenance.cpp)
  set(_headers
    ${_out}/Atomic/${_model}/${_model}SAN.h
    ${_out}/Reward/${_reward}/${_reward}PVModel.h
    ${_out}/Reward/${_reward}/${_reward}PVNodes.h
    ${_out}/Study/${_study}/${_study}SetStudy.h)
  # A cross build runs the build machine's generator, given as a path.
  set(_sangen sangen)
  if(KAVRIN_HOST_SANGEN)
    set(_sangen ${KAVRIN_HOST_SANGEN})
  endif()
  add_custom_command(OUTPUT ${_sources} ${_headers}
    COMMAND ${_sangen} ${_yaml} --out ${_out}
    DEPENDS ${_yaml} ${_sangen}
    COMMENT "Generating ${_sim} from ${yaml}"
    VERBATIM)
  set(_lib ${_sim}_model)
  kavrin_add_model_library(${_lib} ${_sources})
  # The generated folders come before the repository's own, which may hold a model of the same name.
  target_include_directories(${_lib} BEFORE PRIVATE ${_out})
  if(M_WERROR)
    target_compile_options(${_lib} PRIVATE -Werror)
  endif()
  kavrin_add_simulator(${_sim} ${_lib})
  kavrin_add_pv_description(${_sim} ${_lib})

  find_program(KAVRIN_DOT dot)
  if(KAVRIN_DOT)
    set(_svg ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${_sim}.svg)
    add_custom_command(OUTPUT ${_svg}
      COMMAND ${_sangen} --dot ${_yaml} -o ${_out}/${_sim}.dot
      COMMAND ${KAVRIN_DOT} -Tsvg ${_out}/${_sim}.dot -o ${_svg}
      DEPENDS ${_yaml} ${_sangen}
      COMMENT "Drawing ${_sim}.svg"
      VERBATIM)
    add_custom_target(${_sim}_drawing ALL DEPENDS ${_svg})
  endif()
endfunction()
