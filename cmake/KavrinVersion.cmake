# The build's version: the project version, followed by the commit it was configured from when
# the sources are a git checkout ("0.6.0+g1a2b3c4", "-dirty" when it had uncommitted changes).
# Every program reads it from KavrinVersion.h through the interface library kavrin_version.
set(KAVRIN_VERSION_TEXT ${PROJECT_VERSION})
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty --abbrev=7 --match NONE
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE _kavrin_commit
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE _kavrin_git_status)
  if(_kavrin_git_status EQUAL 0 AND NOT _kavrin_commit STREQUAL "")
    set(KAVRIN_VERSION_TEXT "${PROJECT_VERSION}+g${_kavrin_commit}")
  endif()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/KavrinVersion.h.in ${CMAKE_BINARY_DIR}/include/KavrinVersion.h @ONLY)
add_library(kavrin_version INTERFACE)
target_include_directories(kavrin_version INTERFACE $<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/include>
                                                   $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kavrin>)
