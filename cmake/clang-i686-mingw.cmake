# Cross-compiles the 32-bit Windows build with Clang and LLD against the same MinGW-w64 headers
# and libraries as cmake/mingw-w64-i686.cmake. Clang takes the C++ library of the MinGW GCC it
# finds on the PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VANTREL_MINGW_PREFIX i686-w64-mingw32)
set(VANTREL_CLANG_SUFFIX -19 CACHE STRING "Suffix of the versioned Clang commands (Debian: -19)")
set(CMAKE_C_COMPILER clang${VANTREL_CLANG_SUFFIX})
set(CMAKE_CXX_COMPILER clang++${VANTREL_CLANG_SUFFIX})
set(CMAKE_C_COMPILER_TARGET ${VANTREL_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${VANTREL_MINGW_PREFIX})
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# LLD, found beside the Clang that runs; no MinGW DLLs next to the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -static -static-libgcc -static-libstdc++")

find_program(VANTREL_WINE wine)
if(VANTREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine)
endif()
