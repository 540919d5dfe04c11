# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads).
# Not shipped: the same sources as the 32-bit program, built to run the
# Windows tests under 64-bit Wine where the machine cannot run 32-bit
# programs (and to catch pointer-size faults where it can).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under Wine; tests/wine/run-wine picks the prefix by the
# program's architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-wine)
# The same false -Wrestrict in libstdc++'s string insert as for i686 (GCC
# bug 105651).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
