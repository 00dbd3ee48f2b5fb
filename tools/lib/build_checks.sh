# The end-to-end test on the Clang-built program (CTest label "clang").

# program_tests starts the vantrel.exe beside it: here the Clang-built one. A 32-bit program, so
# it runs only where 32-bit code does (tools/wine says why not).
#   check_clang_program_tests TREE CLANG_TREE REPORT (as Wine names it)
check_clang_program_tests() {
  cp "$1/bin/program_tests.exe" "$1/bin/planted_dll.dll" "$2/bin/" &&
    vantrel_wine "$2/bin/program_tests.exe" --gtest_output="xml:$3"
}
