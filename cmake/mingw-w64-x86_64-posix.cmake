# Cross toolchain for 64-bit Windows: Debian's MinGW-w64 with POSIX threads
# (g++-mingw-w64-x86-64-posix). Programs are linked statically, so an .exe needs no MinGW
# DLL beside it. The test programs run under Wine (see CMAKE_CROSSCOMPILING_EMULATOR in the
# top CMakeLists.txt). Also chained from a MinGW Qt's qt.toolchain.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KOTOPA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOTOPA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOTOPA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KOTOPA_MINGW_PREFIX}-windres)
set(CMAKE_AR ${KOTOPA_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${KOTOPA_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KOTOPA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
