# Cross-compiles for 32-bit Windows with MinGW-w64 from Debian, in its POSIX threads
# flavour: the standard library then has std::mutex, which GoogleTest needs.
# Everything is linked statically, so no threads DLL ships with the program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Unit tests built for Windows run under 32-bit Wine where this machine runs
# i386 code; elsewhere the 32-bit build is compiled and linked only.
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)
tallynix_wine_emulator(wine)
