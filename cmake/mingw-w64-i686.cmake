# Cross build for 32-bit Windows with Debian's mingw-w64 (posix threads).
# The shipped Pasahorario.exe is 32-bit, like the host program it sits beside.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
