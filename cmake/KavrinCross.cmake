# Cross-building for Windows (cmake/mingw-w64-x86_64.cmake): the header-only libraries and the
# GoogleTest sources come from the build machine's Debian packages, without letting the build
# machine's system headers into the Windows compile.
#
# Each header-only library is reached through a folder of its own holding only a link to it,
# and a package file of our own so that find_package finds it as usual.
set(KAVRIN_HOST_INCLUDE /usr/include CACHE PATH "The build machine's headers of Boost and nlohmann-json")
set(_stage ${CMAKE_BINARY_DIR}/cross-packages)
foreach(_pkg boost nlohmann)
  file(MAKE_DIRECTORY ${_stage}/include)
  if(NOT EXISTS ${_stage}/include/${_pkg})
    file(CREATE_LINK ${KAVRIN_HOST_INCLUDE}/${_pkg} ${_stage}/include/${_pkg} SYMBOLIC)
  endif()
endforeach()
file(WRITE ${_stage}/Boost/BoostConfig.cmake
  "if(NOT TARGET Boost::headers)\n"
  "  add_library(Boost::headers INTERFACE IMPORTED)\n"
  "  set_target_properties(Boost::headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_stage}/include)\n"
  "endif()\n")
file(WRITE ${_stage}/Boost/BoostConfigVersion.cmake "set(PACKAGE_VERSION 1.74.0)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
file(WRITE ${_stage}/nlohmann_json/nlohmann_jsonConfig.cmake
  "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
  "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
  "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_stage}/include)\n"
  "endif()\n")
set(Boost_DIR ${_stage}/Boost CACHE PATH "" FORCE)
set(nlohmann_json_DIR ${_stage}/nlohmann_json CACHE PATH "" FORCE)

# GoogleTest built with the cross compiler from Debian's sources; it defines the GTest:: targets.
set(KAVRIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built for the target")
if(KAVRIN_TESTS AND NOT TARGET GTest::gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KAVRIN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The generator runs on the build machine.
set(KAVRIN_HOST_SANGEN "" CACHE FILEPATH "A sangen built for the build machine (cross builds)")
if(NOT KAVRIN_HOST_SANGEN)
  message(FATAL_ERROR "A cross build needs a sangen that runs here: -DKAVRIN_HOST_SANGEN=<native build>/bin/sangen")
endif()
