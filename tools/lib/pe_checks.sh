# The checks of a built vantrel.exe (CTest label "pe"): its size and its PE headers.

# The functions the program may import: DLL!Function, then the first Windows version that has
# it. Every one must be 5.1 or lower, so the program starts on Windows XP SP3.
VANTREL_ALLOWED_IMPORTS="$(dirname "${BASH_SOURCE[0]}")/allowed-imports.txt"

# Prints, one a line, what is wrong with the PE image $1; prints nothing when it carries
# everything Microsoft's linker gives a program by default:
# - ASLR (dynamic base) with a relocation table to move the image by, and DEP (NX compatible);
# - NO_SEH: no structured exception handler can be registered in the image, nor does its code
#   build an exception-registration frame at fs:0, which that flag would break;
# - Terminal Server aware; no section both writable and executable;
# - an OS and subsystem version of 5.1 at most, and only the imports of the allowed list, each
#   one there on Windows XP SP3.
vantrel_pe_problems() {
  local image=$1 headers flag
  headers=$(llvm-readobj-19 --file-headers --sections "$image") || {
    echo "cannot read $image"
    return
  }
  for flag in DYNAMIC_BASE NX_COMPAT NO_SEH TERMINAL_SERVER_AWARE; do
    grep -q "IMAGE_DLL_CHARACTERISTICS_$flag " <<<"$headers" || echo "no $flag"
  done
  grep -q 'IMAGE_FILE_RELOCS_STRIPPED' <<<"$headers" && echo "relocations stripped"
  grep -Eq 'BaseRelocationTableSize: 0x[1-9A-F]' <<<"$headers" || echo "no relocation table"
  awk '/^ *Major(OperatingSystem|Subsystem)Version:/ { major = $2 }
    /^ *Minor(OperatingSystem|Subsystem)Version:/ {
      field = $1; gsub(/^ *Minor|:$/, "", field)
      if (major * 100 + $2 > 501) print field " " major "." $2 " is above 5.1"
    }' <<<"$headers"
  awk '/^ *Section \{/ { name = ""; write = 0; exec = 0 }
    /^ *Name: / && name == "" { name = $2 }
    /IMAGE_SCN_MEM_WRITE/ { write = 1 }
    /IMAGE_SCN_MEM_EXECUTE/ { exec = 1 }
    /^  \}/ { if (write && exec) print "section " name " is writable and executable"
      write = exec = 0 }' <<<"$headers"
  i686-w64-mingw32-objdump -d "$image" | grep -Eq '%fs:0x0([^0-9a-fx]|$)' &&
    echo "code uses the exception-registration chain at fs:0"
  llvm-readobj-19 --coff-imports "$image" |
    awk '/^ *Name: / { dll = $2 } /^ *Symbol: / { print dll "!" $2 }' |
    awk 'NR == FNR {
        if ($0 !~ /^#/ && NF) {
          split($2, v, ".")
          if (v[1] * 100 + v[2] > 501) print "allowed import " $1 " needs Windows " $2
          allowed[tolower($1)] = 1
        }
        next
      }
      !(tolower($0) in allowed) { print "imports " $0 ", not on the allowed list" }' \
      "$VANTREL_ALLOWED_IMPORTS" -
}

# The stripped program stays within 34 KB (34,816 bytes), and its headers carry all of the above.
check_pe() {
  local size problems
  size=$(stat -c %s "$1") || return 1
  echo "$1: $size bytes"
  problems=$(vantrel_pe_problems "$1")
  [ "$size" -le 34816 ] || problems+=$'\n'"over 34 KB"
  [ -z "$problems" ] || { echo "$problems"; return 1; }
}
