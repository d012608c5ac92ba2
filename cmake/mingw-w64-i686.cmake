# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (the posix
# threads variant, for std::thread and std::mutex) and widl for the type
# libraries. Wine runs what it builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(NIMBO_MINGW_TRIPLE i686-w64-mingw32)

set(CMAKE_C_COMPILER ${NIMBO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBO_MINGW_TRIPLE}-windres)
set(NIMBO_WIDL ${NIMBO_MINGW_TRIPLE}-widl)
set(NIMBO_OBJDUMP ${NIMBO_MINGW_TRIPLE}-objdump)
# widl writes type libraries for this platform: 32-bit pointers.
set(NIMBO_WIDL_TARGET win32)
# Wine's 32-bit Windows folder holds stdole2.tlb, which every type library imports.
set(NIMBO_WINE_WINDOWS_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)

set(CMAKE_FIND_ROOT_PATH /usr/${NIMBO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
