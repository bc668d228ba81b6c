# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# as Qt for Windows is built). The cross-built Qt's prefix comes on the
# command line as CMAKE_PREFIX_PATH and is searched as a root as well.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MIRAN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MIRAN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRAN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRAN_MINGW}-windres)
set(CMAKE_AR /usr/bin/${MIRAN_MINGW}-ar)
set(CMAKE_RANLIB /usr/bin/${MIRAN_MINGW}-ranlib)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${MIRAN_MINGW} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
