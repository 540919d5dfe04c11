# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads).
# Not shipped: the same sources as the 32-bit program, built to run the
# Windows tests under 64-bit Wine where the machine cannot run 32-bit
# programs (and to catch pointer-size faults where it can).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
