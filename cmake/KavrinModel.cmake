# Simulators from model descriptions, in this repository's tree and in a modeller's own folder:
#
#   cmake_minimum_required(VERSION 3.25)
#   project(my_model CXX)
#   find_package(Kavrin REQUIRED)
#   kavrin_add_model(my_model.yaml)
#
# kavrin_add_model(<file.yaml> [SIMULATOR <name>] [WERROR] [MODEL_CHECK] [NO_DRAWING]
#                  [PGO [TRAINING "<options>|..."]])
#
# sangen writes the generated model whenever the description (a submodel's file it names included)
# or sangen changes, and the build compiles only that: the framework is a library built once. The
# simulator (<study>Sim unless SIMULATOR names it) gets beside it its .pv, .pvkind and .study files
# (for simmgr) and a drawing of the net (<simulator>.svg) when Graphviz is installed. In a
# modeller's folder, simmgr is linked beside the simulators too.
#
# - Names: without SIMULATOR, sangen --list-outputs says the simulator's name when CMake configures,
#   and the description is a configure dependency: renaming the study renames the simulator at the
#   next build, with no CMake command of one's own.
# - No stale simulator: when the description changed, the old simulator and its files are removed
#   before sangen runs, so a description that sangen or the compiler refuses leaves none behind.
# - NO_DRAWING: no <simulator>.svg (a net too large to lay out).
# - MODEL_CHECK (or KAVRIN_MODEL_CHECK=ON for every model): the simulator re-checks every
#   activity's schedule after each firing (slow; finds missing arcs).
# - PGO (a modeller's folder): the simulator is built twice, with the framework compiled again from
#   its sources, instrumented and then with the profile of a training run of its own study (by
#   default the first experiment, 10,000 replications and 50 steady-state batches, for the kinds
#   of variable it has; TRAINING gives other options, runs separated by "|", for example
#   TRAINING "-N 2000|-t 0 -e 1 -N 20"). See KavrinPgoBuild.cmake.
# Release and RelWithDebInfo simulators are linked with link-time optimisation when the framework
# was compiled for it (KAVRIN_LTO, KavrinOptimise.cmake).
if(NOT DEFINED KAVRIN_CMAKE_DIR)
  set(KAVRIN_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})
endif()
if(NOT DEFINED KAVRIN_DESCRIBE_DIR)
  set(KAVRIN_DESCRIBE_DIR ${CMAKE_CURRENT_LIST_DIR}/../tools/pvdescribe)
endif()
if(NOT DEFINED KAVRIN_SOURCE_DIR)
  get_filename_component(KAVRIN_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
endif()
# An older modeller's folder includes this file directly: it now finds the package of the
# repository's build tree (make run or make test builds it there).
if(NOT KAVRIN_IN_TREE AND NOT TARGET Kavrin::framework)
  find_package(Kavrin REQUIRED HINTS ${KAVRIN_SOURCE_DIR}/build)
  return()
endif()

# kavrin_add_model_library(NAME sources...): an object library of generated model code.
# Object libraries keep the generated half (which defines GenerateStudy) in every link,
# so the framework library can call into it.
function(kavrin_add_model_library name)
  add_library(${name} OBJECT ${ARGN})
  target_link_libraries(${name} PUBLIC Kavrin::framework)
  kavrin_optimise_objects(${name})
endfunction()

# kavrin_add_simulator(NAME objlib...): a simulator executable is the entry point, the generated
# model's object libraries and the framework library.
function(kavrin_add_simulator name)
  add_executable(${name})
  target_link_libraries(${name} PRIVATE Kavrin::main ${ARGN} Kavrin::framework)
  kavrin_optimise_program(${name})
endfunction()

# kavrin_add_pv_description(SIMNAME objlib...): whenever simulator SIMNAME is built, writes its
# reward-model description SIMNAME.pv, the kinds of its rows of observations SIMNAME.pvkind and
# its global variables and experiments SIMNAME.study beside it, for the simulation manager.
# The objects are the same generated-model libraries the simulator links.
function(kavrin_add_pv_description simname)
  set(_tool ${simname}_pvdescribe)
  add_executable(${_tool})
  target_link_libraries(${_tool} PRIVATE Kavrin::pvdescribe ${ARGN} Kavrin::framework)
  if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    set_target_properties(${_tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  else()
    set_target_properties(${_tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/kavrin-tools)
  endif()
  add_dependencies(${simname} ${_tool})
  # The tool's warnings about the model go to a log; a failure prints the log as its reason.
  # The tool runs through the target's emulator when there is one (a cross build).
  set(_dir $<TARGET_FILE_DIR:${simname}>)
  add_custom_command(TARGET ${simname} POST_BUILD
    COMMAND ${CMAKE_COMMAND} "-DEMULATOR=$<TARGET_PROPERTY:${_tool},CROSSCOMPILING_EMULATOR>"
            -DTOOL=$<TARGET_FILE:${_tool}> -DSIM=${simname}
            -DPV=${_dir}/${simname}.pv -DKIND=${_dir}/${simname}.pvkind
            -DSTUDY=${_dir}/${simname}.study -DLOG=${_dir}/${simname}.pvdescribe.log
            -P ${KAVRIN_DESCRIBE_DIR}/RunDescribe.cmake
    COMMENT "Writing the study description of ${simname}"
    VERBATIM)
endfunction()

# kavrin_simulator_name(<yaml> <dir> <out-var>): the simulator's name as sangen gives it, from a sangen
# that exists while CMake configures (a modeller's folder, or the host generator of a cross build).
function(kavrin_simulator_name yaml dir out)
  set(_sangen ${KAVRIN_SANGEN})
  if(KAVRIN_HOST_SANGEN)
    set(_sangen ${KAVRIN_HOST_SANGEN})
  endif()
  if(NOT _sangen OR NOT EXISTS ${_sangen})
    message(FATAL_ERROR "kavrin_add_model(${yaml}): give the simulator's name with SIMULATOR <name>; "
                        "the generator is not built yet when this tree is configured")
  endif()
  execute_process(COMMAND ${_sangen} --list-outputs ${yaml} OUTPUT_VARIABLE _list ERROR_VARIABLE _error
                  RESULT_VARIABLE _status)
  # Whatever the outcome, a change of the description configures again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${yaml})
  # The simulator last built from this description: removed when the description is refused or
  # names another one, so that no simulator of an older description stays to be run by mistake.
  string(SHA256 _key ${yaml})
  set(_record ${CMAKE_BINARY_DIR}/kavrin-names/${_key})
  set(_old "")
  if(EXISTS ${_record})
    file(STRINGS ${_record} _old LIMIT_COUNT 1)
  endif()
  set(_name "")
  if(_status EQUAL 0 AND _list MATCHES "(^|\n)simulator ([^\n]+)")
    set(_name ${CMAKE_MATCH_2})
  endif()
  if(_old AND NOT _old STREQUAL _name)
    kavrin_remove_simulator(${dir} ${_old})
  endif()
  if(NOT _status EQUAL 0)
    file(REMOVE ${_record})
    string(STRIP "${_error}" _error)
    message(FATAL_ERROR "${_error}")
  endif()
  if(_name STREQUAL "")
    message(FATAL_ERROR "${_sangen} --list-outputs ${yaml} named no simulator")
  endif()
  file(WRITE ${_record} "${_name}\n")
  # The submodels' own files too: editing one configures again like editing the description.
  string(REGEX MATCHALL "(^|\n)input [^\n]+" _inputs "${_list}")
  foreach(_input IN LISTS _inputs)
    string(REGEX REPLACE "^\n?input " "" _input "${_input}")
    get_filename_component(_input ${_input} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_input})
  endforeach()
  set(${out} ${_name} PARENT_SCOPE)
endfunction()

# kavrin_simulator_files(<dir> <name> <out-var>): a simulator and the files built beside it.
function(kavrin_simulator_files dir name out)
  set(${out} ${dir}/${name}${CMAKE_EXECUTABLE_SUFFIX} ${dir}/${name}.pv ${dir}/${name}.pvkind ${dir}/${name}.study
             ${dir}/${name}.svg ${dir}/${name}.pvdescribe.log PARENT_SCOPE)
endfunction()

# kavrin_remove_simulator(<dir> <name>): removes them now.
function(kavrin_remove_simulator dir name)
  kavrin_simulator_files(${dir} ${name} _files)
  file(REMOVE ${_files})
endfunction()

function(kavrin_add_model yaml)
  cmake_parse_arguments(M "WERROR;PGO;MODEL_CHECK;NO_DRAWING" "SIMULATOR;TRAINING" "" ${ARGN})
  get_filename_component(_yaml ${yaml} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT EXISTS ${_yaml})
    message(FATAL_ERROR "kavrin_add_model: ${_yaml} does not exist")
  endif()
  if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    set(_dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  else()
    set(_dir ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(M_SIMULATOR)
    set(_sim ${M_SIMULATOR})
  else()
    kavrin_simulator_name(${_yaml} ${_dir} _sim)
  endif()
  # The generator: the host's in a cross build, this tree's target, or the package's program.
  if(KAVRIN_HOST_SANGEN)
    set(_sangen ${KAVRIN_HOST_SANGEN})
  elseif(TARGET sangen)
    set(_sangen sangen)
  else()
    set(_sangen ${KAVRIN_SANGEN})
  endif()

  if(NOT TARGET sangen AND KAVRIN_SIMMGR)
    # The manager beside the simulators: ./simmgr -- ./<simulator>
    file(MAKE_DIRECTORY ${_dir})
    file(CREATE_LINK ${KAVRIN_SIMMGR} ${_dir}/simmgr${CMAKE_EXECUTABLE_SUFFIX} SYMBOLIC COPY_ON_ERROR)
  endif()
  find_program(KAVRIN_DOT dot)
  if(M_PGO AND NOT TARGET sangen)
    kavrin_add_pgo_model(${_yaml} ${_sim} ${_dir} "${M_TRAINING}")
    return()
  endif()
  if(M_PGO AND NOT KAVRIN_PGO_PHASE)
    # In a tree of the repository's the passes are the whole tree's: cmake/KavrinPgoBuild.cmake.
    message(STATUS "${_sim}: PGO applies to a model's own project; this tree is built from a profile "
                   "by cmake -P cmake/KavrinPgoBuild.cmake (make bench does)")
  endif()

  # The generated sources are compiled as one unit (their names follow the description's, which
  # CMake does not read): KavrinUnity.cmake writes it from sangen --list-outputs.
  set(_out ${CMAKE_BINARY_DIR}/generated/${_sim})
  set(_unity ${_out}/KavrinModel.cpp)
  kavrin_simulator_files(${_dir} ${_sim} _old_files)
  set(_sangen_file ${_sangen})
  if(TARGET ${_sangen})
    set(_sangen_file $<TARGET_FILE:${_sangen}>)
  endif()
  # Every file the description is read from (its submodels' files too) is a dependency of the
  # generation: KavrinUnity.cmake lists them in a depfile, so editing a submodel's file rebuilds.
  add_custom_command(OUTPUT ${_unity}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${_old_files}
    COMMAND ${_sangen} ${_yaml} --out ${_out}
    COMMAND ${CMAKE_COMMAND} -DSANGEN=${_sangen_file}
            -DYAML=${_yaml} -DOUT=${_unity} -DDEPFILE=${_unity}.d -P ${KAVRIN_CMAKE_DIR}/KavrinUnity.cmake
    DEPENDS ${_yaml} ${_sangen}
    DEPFILE ${_unity}.d
    COMMENT "Generating ${_sim} from ${yaml}"
    VERBATIM)
  set(_lib ${_sim}_model)
  kavrin_add_model_library(${_lib} ${_unity})
  # The generated folders come before the repository's own, which may hold a model of the same name.
  target_include_directories(${_lib} BEFORE PRIVATE ${_out})
  target_compile_options(${_lib} PRIVATE -Wall -Wextra -Wshadow)
  if(M_WERROR)
    target_compile_options(${_lib} PRIVATE -Werror)
  endif()
  kavrin_add_simulator(${_sim} ${_lib})
  if(M_MODEL_CHECK OR (KAVRIN_MODEL_CHECK AND NOT TARGET sangen))
    target_link_libraries(${_sim} PRIVATE Kavrin::model_check)
  endif()
  set_target_properties(${_sim} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_dir})
  kavrin_add_pv_description(${_sim} ${_lib})

  if(KAVRIN_DOT AND NOT M_NO_DRAWING)
    set(_svg ${_dir}/${_sim}.svg)
    add_custom_command(OUTPUT ${_svg}
      COMMAND ${_sangen} --dot ${_yaml} -o ${_out}/${_sim}.dot
      COMMAND ${KAVRIN_DOT} -Tsvg ${_out}/${_sim}.dot -o ${_svg}
      DEPENDS ${_yaml} ${_sangen} ${_unity}
      COMMENT "Drawing ${_sim}.svg"
      VERBATIM)
    # After the model's generation (which removes an old drawing), and with the simulator.
    add_custom_target(${_sim}_drawing ALL DEPENDS ${_svg})
    add_dependencies(${_sim}_drawing ${_lib})
    add_dependencies(${_sim} ${_sim}_drawing)
  endif()
endfunction()

# kavrin_add_pgo_model(<yaml> <simulator> <dir> <training>): a modeller's simulator built with
# profile-guided optimisation in a tree of the framework's sources below the project's build
# folder (the framework is compiled for the model's profile), copied to <dir> with its files.
function(kavrin_add_pgo_model yaml sim dir training)
  set(_tree ${CMAKE_BINARY_DIR}/kavrin-pgo/${sim})
  set(_args -DKAVRIN_FRAMEWORK_ONLY=ON "-DKAVRIN_MODELS=${yaml}" "-DKAVRIN_MODEL_SIMULATORS=${sim}"
            -DCMAKE_BUILD_TYPE=Release)
  if(KAVRIN_MODEL_CHECK)
    list(APPEND _args -DKAVRIN_MODEL_CHECK=ON)
  endif()
  if(DEFINED KAVRIN_LTO AND NOT KAVRIN_LTO)
    list(APPEND _args -DKAVRIN_LTO=OFF)
  endif()
  set(_training)
  if(training)
    # Every run of the training is one of this simulator.
    string(REPLACE "|" "|${sim} " _training "${sim} ${training}")
  endif()
  string(REPLACE ";" "|" _pgo_args "${_args}")
  kavrin_simulator_files(${dir} ${sim} _old_files)
  set(_files ${_tree}/bin/${sim}${CMAKE_EXECUTABLE_SUFFIX} ${_tree}/bin/${sim}.pv ${_tree}/bin/${sim}.pvkind
             ${_tree}/bin/${sim}.study)
  if(KAVRIN_DOT)
    list(APPEND _files ${_tree}/bin/${sim}.svg)
  endif()
  add_custom_target(${sim} ALL
    COMMAND ${CMAKE_COMMAND} -E rm -f ${_old_files}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${KAVRIN_SOURCE_DIR} -DBUILD=${_tree} -DTARGETS=${sim}
            "-DCMAKE_ARGS=${_pgo_args}" "-DTRAINING=${_training}" -P ${KAVRIN_CMAKE_DIR}/KavrinPgoBuild.cmake
    COMMAND ${CMAKE_COMMAND} -E copy ${_files} ${dir}
    DEPENDS ${yaml}
    COMMENT "Building ${sim} from ${yaml} with profile-guided optimisation"
    VERBATIM)
endfunction()
