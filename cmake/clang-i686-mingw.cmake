# Cross-compiles the 32-bit Windows build with Clang and LLD against the same MinGW-w64 headers
# and libraries as cmake/mingw-w64-i686.cmake. Clang takes the C++ library of the MinGW GCC it
# finds on the PATH.
set(VANTREL_MINGW_PREFIX i686-w64-mingw32)
set(VANTREL_CLANG_SUFFIX -19 CACHE STRING "Suffix of the versioned Clang commands (Debian: -19)")
set(CMAKE_C_COMPILER clang${VANTREL_CLANG_SUFFIX})
set(CMAKE_CXX_COMPILER clang++${VANTREL_CLANG_SUFFIX})
set(CMAKE_C_COMPILER_TARGET ${VANTREL_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${VANTREL_MINGW_PREFIX})

# LLD, found beside the Clang that runs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")

include(${CMAKE_CURRENT_LIST_DIR}/i686-mingw-target.cmake)
