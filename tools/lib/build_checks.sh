# The checks that need a second build: the program's sources under MSVC's rules (CTest label
# "msvc-rules"), and the end-to-end test on the Clang-built program (label "clang").

# Compiles the program's Windows sources as MSVC would take them (_MSC_VER, its inline
# assembler, its rules for imported functions), syntax only, with the same warnings as errors.
# There are no MSVC headers here: Clang reads MinGW-w64's and libstdc++'s, which need GNU mode
# beside MSVC mode, so __GNUC__ is defined too. The sources therefore ask for _MSC_VER before
# __GNUC__, and an #if on __GNUC__ that does not is refused here: it would hide MSVC's branch
# from this check. Uses the version header of the Clang tree.
#   check_msvc_rules CLANG_TREE
check_msvc_rules() {
  local root gcc unguarded
  root=$(vantrel_root)
  unguarded=$(grep -rnE --include='*.h' --include='*.cpp' '^\s*#\s*if.*__GNUC__' "$root/src" |
    grep -v _MSC_VER)
  [ -z "$unguarded" ] ||
    { printf '%s\n' "$unguarded" "these test __GNUC__ without asking for _MSC_VER first"; return 1; }
  gcc=$(dirname "$(i686-w64-mingw32-g++-posix -print-libgcc-file-name)")
  find "$root/src" -name '*.cpp' ! -name thread_state_host.cpp -print0 |
    xargs -0 -n 4 -P 2 clang++-19 --target=i686-pc-windows-msvc -fms-extensions \
      -fms-compatibility -fasm-blocks -fgnuc-version=12 -D__declspec=__declspec -D_X86_ -msse2 \
      -fsyntax-only -std=c++20 -fno-exceptions -fno-rtti -Werror -Wall -Wextra -Wconversion \
      -Wno-missing-field-initializers -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DSTRICT \
      -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 -I"$root/src" -I"$1/src/generated" \
      -isystem "$gcc/include/c++" -isystem "$gcc/include/c++/i686-w64-mingw32" \
      -isystem /usr/i686-w64-mingw32/include
}

# program_tests starts the vantrel.exe beside it: here the Clang-built one. A 32-bit program, so
# it runs only where 32-bit code does (tools/wine says why not).
#   check_clang_program_tests TREE CLANG_TREE REPORT
check_clang_program_tests() {
  cp "$1/bin/program_tests.exe" "$1/bin/planted_dll.dll" "$2/bin/" &&
    vantrel_wine "$2/bin/program_tests.exe" --gtest_output="xml:Z:$3"
}
