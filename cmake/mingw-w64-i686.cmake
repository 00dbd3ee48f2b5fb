# Cross-compiles the 32-bit Windows build with MinGW-w64 and runs its test programs under Wine.
# The -posix compilers are needed: GoogleTest uses std::mutex, which the win32 thread model lacks.
set(VANTREL_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_PREFIX}-g++-posix)

include(${CMAKE_CURRENT_LIST_DIR}/i686-mingw-target.cmake)
