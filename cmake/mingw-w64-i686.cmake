# Cross build for 32-bit Windows with Debian's mingw-w64 (posix threads).
# The shipped Pasahorario.exe is 32-bit, like the host program it sits beside.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under Wine; tests/wine/run-wine sets up a private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-wine)
# GCC 12 for i686 warns, wrongly, that `"text" + std::string` overlaps in
# memcpy (GCC bug 105651: -Wrestrict inside libstdc++'s string insert).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
