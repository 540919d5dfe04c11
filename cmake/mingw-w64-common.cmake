# What both mingw-w64 toolchains share, included after they name the
# processor and the triplet (MINGW_TRIPLET): Debian's posix-thread
# compilers, their own root for libraries and headers, and the tests run
# under Wine (tests/wine/run-wine picks 32- or 64-bit Wine and the prefix
# from the program's header).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-wine)
# GCC 12 warns, wrongly, that `"text" + std::string` overlaps in memcpy
# (GCC bug 105651: -Wrestrict inside libstdc++'s string insert).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
