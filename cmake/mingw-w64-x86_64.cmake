# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads compilers, which
# std::thread needs): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DODESERIES_GUI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ODESERIES_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ODESERIES_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ODESERIES_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ODESERIES_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; header-only packages (nlohmann_json) are found among
# the build machine's CMake packages.
set(CMAKE_FIND_ROOT_PATH /usr/${ODESERIES_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
