# Cross-builds the tree for 64-bit Windows with Debian's mingw-w64 (posix threads) and runs the
# programs it builds, including the tests and the build's own description step, under wine:
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DKAVRIN_HOST_SANGEN=$PWD/build/bin/sangen
#
# The model generator runs on the build machine, so a native sangen must be given (build/bin
# after `make run` or `make test`). GoogleTest is built from Debian's sources (/usr/src/googletest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KAVRIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KAVRIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVRIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVRIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KAVRIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime libraries are linked in, so a program runs from any folder without DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(KAVRIN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KAVRIN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KAVRIN_WINE})
endif()
