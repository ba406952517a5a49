# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64. The posix flavour of the
# compilers is the one with std::thread and std::mutex, which Qt needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZP_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${ZP_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZP_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Headers and libraries come from the MinGW sysroot (and from prefixes added to
# CMAKE_FIND_ROOT_PATH, such as the cross-built Qt); programs run on the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
