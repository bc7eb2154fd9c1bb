# kavrin_add_simulator(NAME objlib...): a simulator executable is the entry point,
# the generated model's object libraries and the framework library.
function(kavrin_add_simulator name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/Cpp/Simulator/Main.cpp)
  foreach(lib ${ARGN})
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:${lib}>)
  endforeach()
  target_link_libraries(${name} PRIVATE kavrin_framework)
endfunction()

# kavrin_add_model_library(NAME sources...): an object library of generated model code.
# Object libraries keep the generated half (which defines GenerateStudy) in every link,
# so the framework library can call into it.
function(kavrin_add_model_library name)
  add_library(${name} OBJECT ${ARGN})
  target_link_libraries(${name} PUBLIC kavrin_framework)
endfunction()

# kavrin_add_gtest(NAME SOURCES ... [OBJECTS objlib...] [LABELS ...]): one GoogleTest executable.
# Tests that still start processes or set environment variables through POSIX calls; on Windows
# they are defined but not built (nor run) until they use the shared process helper.
set(KAVRIN_POSIX_ONLY_TESTS system_cli system_simmgr connectivity_tests output_tests)

function(kavrin_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;OBJECTS;LABELS;LIBS" ${ARGN})
  if(WIN32 AND name IN_LIST KAVRIN_POSIX_ONLY_TESTS)
    add_executable(${name} EXCLUDE_FROM_ALL ${T_SOURCES})
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  foreach(lib ${T_OBJECTS})
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:${lib}>)
  endforeach()
  target_link_libraries(${name} PRIVATE kavrin_framework kavrin_test_support ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(CMAKE_CROSSCOMPILING)
    # Every start under the emulator costs about a second: one test per executable, not per case.
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
    return()
  endif()
  if(T_LABELS)
    # The discovered-tests script splits unescaped lists, so keep several labels as one value.
    string(REPLACE ";" "\\;" _labels "${T_LABELS}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${_labels}"
                         WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  endif()
endfunction()

# kavrin_model_folder(NAME): the folder's *.cpp files as an object library NAME (if there are any).
function(kavrin_model_folder name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_srcs)
    kavrin_add_model_library(${name} ${_srcs})
  endif()
endfunction()

# kavrin_existing_targets(OUT names...): the subset of names that are targets.
function(kavrin_existing_targets out)
  set(_r)
  foreach(t ${ARGN})
    if(TARGET ${t})
      list(APPEND _r ${t})
    endif()
  endforeach()
  set(${out} ${_r} PARENT_SCOPE)
endfunction()

# kavrin_add_pv_description(SIMNAME objlib...): whenever simulator SIMNAME is built, writes its
# reward-model description SIMNAME.pv, the kinds of its rows of observations SIMNAME.pvkind and
# its global variables and experiments SIMNAME.study beside it, for the simulation manager.
# The objects are the same generated-model libraries the simulator links.
function(kavrin_add_pv_description simname)
  set(_tool ${simname}_pvdescribe)
  add_executable(${_tool} ${CMAKE_SOURCE_DIR}/tools/pvdescribe/PVDescribe.cpp
                          ${CMAKE_SOURCE_DIR}/tools/pvdescribe/StudyDescription.cpp)
  foreach(lib ${ARGN})
    target_sources(${_tool} PRIVATE $<TARGET_OBJECTS:${lib}>)
  endforeach()
  target_link_libraries(${_tool} PRIVATE kavrin_framework)
  set_target_properties(${_tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  add_dependencies(${simname} ${_tool})
  # The tool's warnings about the model go to a log; a failure prints the log as its reason.
  # The tool runs through the target's emulator when there is one (a cross build).
  set(_dir $<TARGET_FILE_DIR:${simname}>)
  add_custom_command(TARGET ${simname} POST_BUILD
    COMMAND ${CMAKE_COMMAND} "-DEMULATOR=$<TARGET_PROPERTY:${_tool},CROSSCOMPILING_EMULATOR>"
            -DTOOL=$<TARGET_FILE:${_tool}> -DSIM=${simname}
            -DPV=${_dir}/${simname}.pv -DKIND=${_dir}/${simname}.pvkind
            -DSTUDY=${_dir}/${simname}.study -DLOG=${_dir}/${simname}.pvdescribe.log
            -P ${CMAKE_SOURCE_DIR}/tools/pvdescribe/RunDescribe.cmake
    COMMENT "Writing the study description of ${simname}"
    VERBATIM)
endfunction()
