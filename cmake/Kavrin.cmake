# Every test carries exactly one kind and at least one subsystem (tests/README.md explains them).
set(KAVRIN_TEST_KINDS unit system validation golden)
set(KAVRIN_TEST_SUBSYSTEMS control engine framework reward random study trace platform shared model sangen
                           simmgr examples build python cluster)

# kavrin_check_test_labels(WHAT labels...): stops the configure unless the labels are one kind
# and one or more subsystems, nothing else.
function(kavrin_check_test_labels what)
  set(_kinds)
  set(_subsystems)
  foreach(l ${ARGN})
    if(l IN_LIST KAVRIN_TEST_KINDS)
      list(APPEND _kinds ${l})
    elseif(l IN_LIST KAVRIN_TEST_SUBSYSTEMS)
      list(APPEND _subsystems ${l})
    else()
      message(FATAL_ERROR "${what}: label '${l}' is neither a test kind (${KAVRIN_TEST_KINDS}) "
                          "nor a subsystem (${KAVRIN_TEST_SUBSYSTEMS})")
    endif()
  endforeach()
  list(LENGTH _kinds _nk)
  list(LENGTH _subsystems _ns)
  if(NOT _nk EQUAL 1 OR _ns EQUAL 0)
    message(FATAL_ERROR "${what}: labels '${ARGN}' need exactly one kind (${KAVRIN_TEST_KINDS}) "
                        "and at least one subsystem (${KAVRIN_TEST_SUBSYSTEMS})")
  endif()
  # Under tests/, the folder says the labels: tests/<kind>/<subsystem>/ holds the tests of that kind
  # that carry that subsystem (among others).
  file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT _rel MATCHES "^\\.\\.")
    string(REPLACE "/" ";" _parts "${_rel}/")
    list(GET _parts 0 _folder_kind)
    list(GET _parts 1 _folder_subsystem)
    if(NOT _folder_kind IN_LIST _kinds OR NOT _folder_subsystem IN_LIST _subsystems)
      message(FATAL_ERROR "${what}: registered in tests/${_rel}/ with labels '${ARGN}'; a test of kind K "
                          "and subsystem S lives in tests/K/S/ (tests/README.md)")
    endif()
  endif()
endfunction()

# kavrin_add_test(NAME COMMAND ... LABELS ... [TIMEOUT s] [WORKING_DIRECTORY dir]): one test that
# is not a GoogleTest program (a script, a comparison), with its labels checked.
function(kavrin_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT;WORKING_DIRECTORY" "COMMAND;LABELS" ${ARGN})
  kavrin_check_test_labels("test ${name}" ${T_LABELS})
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${name} COMMAND ${T_COMMAND} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  # A script starts our programs through the emulator of a cross build (tests/support/simlink.py).
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "KAVRIN_TEST_EMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# kavrin_require_targets(WHAT targets...): stops the configure when a target some tests need is
# missing, so that no test is dropped without a word.
function(kavrin_require_targets what)
  foreach(t ${ARGN})
    if(NOT TARGET ${t})
      message(FATAL_ERROR "${what} need the target ${t}, which this configuration does not define")
    endif()
  endforeach()
endfunction()

# kavrin_add_gtest(NAME SOURCES ... [OBJECTS objlib...] LABELS kind subsystem... [LIBS ...]): one
# GoogleTest executable, named <kind>_<subsystem>[_<part>]_test, whose tests all carry the labels.
function(kavrin_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;OBJECTS;LABELS;LIBS" ${ARGN})
  kavrin_check_test_labels("test program ${name}" ${T_LABELS})
  if(NOT name MATCHES "^(unit|system|validation|golden)_[a-z0-9_]+_test$")
    message(FATAL_ERROR "test program ${name}: name it <kind>_<subsystem>[_<part>]_test")
  endif()
  add_executable(${name} ${T_SOURCES})
  foreach(lib ${T_OBJECTS})
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:${lib}>)
  endforeach()
  target_link_libraries(${name} PRIVATE kavrin_framework kavrin_test_support ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  kavrin_our_target(${name})
  if(CMAKE_CROSSCOMPILING)
    # Every start under the emulator costs about a second: one test per executable, not per case.
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    return()
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                       TEST_LIST ${name}_TESTS)
  # The labels go on every discovered case from a file CTest reads after the discovered list: passed
  # through the discovery's PROPERTIES, a list of labels would keep only its first element.
  set(_labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${_labels_file} "if(DEFINED ${name}_TESTS)\n"
                             "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\n"
                             "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_labels_file})
endfunction()

# kavrin_model_folder(NAME): the folder's *.cpp files as an object library NAME (if there are any),
# held to our warnings. The files are globbed: a generated folder's contents are the generator's.
function(kavrin_model_folder name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_srcs)
    kavrin_add_model_library(${name} ${_srcs})
    kavrin_our_target(${name})
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
