# Cross-compiles the Windows tree as 64-bit programs with MinGW-w64. The product is the 32-bit
# vantrel.exe; this build runs the same sources and tests where a machine cannot execute 32-bit
# x86 code at all, so Wine can only run 64-bit programs there (see tools/wine).
set(VANTREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_PREFIX}-g++-posix)

include(${CMAKE_CURRENT_LIST_DIR}/i686-mingw-target.cmake)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
