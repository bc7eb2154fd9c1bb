# The CMake package a modeller's own folder uses:
#
#   find_package(Kavrin REQUIRED)     # from an install prefix, or Kavrin_DIR=<this build tree>
#   kavrin_add_model(model.yaml)
#
# It exports the framework library with its headers, the entry point, the description tool and
# the model check as objects, sangen and simmgr, and the functions of cmake/KavrinModel.cmake.
# The same files serve this build tree (so that 'make model' reuses what 'make run' or 'make test'
# built) and an install ('make install', to /usr/local unless PREFIX says otherwise).
# Native builds only: a cross build has no generator of its own to export.
if(KAVRIN_FRAMEWORK_ONLY OR CMAKE_CROSSCOMPILING OR WIN32)
  return()
endif()
include(CMakePackageConfigHelpers)

set(KAVRIN_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kavrin)
set(_kavrin_targets kavrin_platform kavrin_framework kavrin_version kavrin_main kavrin_pvdescribe kavrin_model_check)
set_target_properties(kavrin_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(kavrin_framework PROPERTIES EXPORT_NAME framework)
set_target_properties(kavrin_version PROPERTIES EXPORT_NAME version)
set_target_properties(kavrin_main PROPERTIES EXPORT_NAME main)
set_target_properties(kavrin_pvdescribe PROPERTIES EXPORT_NAME pvdescribe)
set_target_properties(kavrin_model_check PROPERTIES EXPORT_NAME model_check)

install(TARGETS ${_kavrin_targets} EXPORT KavrinTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        OBJECTS DESTINATION ${CMAKE_INSTALL_LIBDIR}/kavrin/objects)
install(TARGETS sangen simmgr EXPORT KavrinTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT KavrinTargets NAMESPACE Kavrin:: DESTINATION ${KAVRIN_PACKAGE_DIR})
export(EXPORT KavrinTargets NAMESPACE Kavrin:: FILE ${CMAKE_BINARY_DIR}/KavrinTargets.cmake)

# Headers: the framework's, as its sources include them, and the version.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Cpp/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kavrin
        FILES_MATCHING PATTERN "*.h")
install(FILES ${CMAKE_BINARY_DIR}/include/KavrinVersion.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kavrin)

# The build functions and what they run, and the sources a profile-guided build compiles again.
set(_kavrin_cmake_files ${CMAKE_SOURCE_DIR}/cmake/KavrinModel.cmake ${CMAKE_SOURCE_DIR}/cmake/KavrinOptimise.cmake
    ${CMAKE_SOURCE_DIR}/cmake/KavrinPgoBuild.cmake     ${CMAKE_SOURCE_DIR}/cmake/KavrinUnity.cmake ${CMAKE_SOURCE_DIR}/tools/pvdescribe/RunDescribe.cmake)
install(FILES ${_kavrin_cmake_files} DESTINATION ${KAVRIN_PACKAGE_DIR})
set(KAVRIN_SOURCE_COPY ${CMAKE_INSTALL_DATADIR}/kavrin/source)
install(FILES ${CMAKE_SOURCE_DIR}/CMakeLists.txt DESTINATION ${KAVRIN_SOURCE_COPY})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Cpp ${CMAKE_SOURCE_DIR}/cmake DESTINATION ${KAVRIN_SOURCE_COPY})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/sangen ${CMAKE_SOURCE_DIR}/tools/pvdescribe
        DESTINATION ${KAVRIN_SOURCE_COPY}/tools)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kavrin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kavrin)

# The configuration file, once for this tree and once for the install. It records whether the
# framework was compiled for link-time optimisation, which models built against it then use too.
set(KAVRIN_PACKAGE_LTO ${KAVRIN_LTO_ACTIVE})
set(KAVRIN_PACKAGE_VERSION_TEXT ${KAVRIN_VERSION_TEXT})
set(KAVRIN_CONFIG_CMAKE_DIR ${CMAKE_SOURCE_DIR}/cmake)
set(KAVRIN_CONFIG_DESCRIBE_DIR ${CMAKE_SOURCE_DIR}/tools/pvdescribe)
set(KAVRIN_CONFIG_SOURCE_DIR ${CMAKE_SOURCE_DIR})
configure_file(${CMAKE_SOURCE_DIR}/cmake/KavrinConfig.cmake.in ${CMAKE_BINARY_DIR}/KavrinConfig.cmake @ONLY)
set(KAVRIN_CONFIG_CMAKE_DIR "\${PACKAGE_PREFIX_DIR}/${KAVRIN_PACKAGE_DIR}")
set(KAVRIN_CONFIG_DESCRIBE_DIR "\${PACKAGE_PREFIX_DIR}/${KAVRIN_PACKAGE_DIR}")
set(KAVRIN_CONFIG_SOURCE_DIR "\${PACKAGE_PREFIX_DIR}/${KAVRIN_SOURCE_COPY}")
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/KavrinConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/install/KavrinConfig.cmake INSTALL_DESTINATION ${KAVRIN_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KavrinConfigVersion.cmake VERSION ${PROJECT_VERSION}
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/KavrinConfig.cmake ${CMAKE_BINARY_DIR}/KavrinConfigVersion.cmake
        DESTINATION ${KAVRIN_PACKAGE_DIR})

# Everything the package holds, built: make install and make model build this target only.
add_custom_target(kavrin_package)
add_dependencies(kavrin_package ${_kavrin_targets} sangen simmgr)
