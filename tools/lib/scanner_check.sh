# The test programs that make files, run while a stand-in for an on-access virus scanner
# (tests/pack/scanner.cpp) holds every file they write for a second, as scanners on Windows do:
# each case must pass all the same (CTest test pack-scanner). The programs' temporary folder is
# one of the check's own, so that the scanner holds nothing of the tests that run beside it.
#   check_scanner TREE

VANTREL_SCANNED_PROGRAMS=(report_tests app_tests program_tests)
VANTREL_SCANNER_TEMP='scanner/José Temp'

# A Unix path as Wine's drive Z: names it.
wine_path() { local path=${1//\//\\}; echo "Z:$path"; }

# Runs PROGRAM of TREE with TEMP and TMP set to FOLDER (a Windows path). Wine gives a program
# TEMP and TMP from the registry, not from the Unix environment, so cmd sets them, as a user
# would in a console on Windows.
run_with_temp() {
  local tree=$1 folder=$2 program=$3
  (cd "$tree/bin" && LC_ALL=C.UTF-8 vantrel_wine cmd /c \
    "set TEMP=$folder&& set TMP=$folder&& $program.exe ${*:4}")
}

# Starts the scanner on FOLDER (a Unix path) as the coprocess SCANNER, and waits until it
# watches.
scanner_start() {
  local line
  coproc SCANNER { LC_ALL=C.UTF-8 vantrel_wine "$1/bin/scanner.exe" "$(wine_path "$2")"; }
  read -r line <&"${SCANNER[0]}" && [ "${line%$'\r'}" = watching ]
}

# Ends the scanner and prints what it held; fails unless it held something.
scanner_stop() {
  local out=${SCANNER[0]} held
  exec {SCANNER[1]}>&-
  held=$(tr -d '\r' <&"$out")
  echo "$held"
  [[ $held =~ held\ [1-9][0-9]*\ files ]]
}

check_scanner() {
  local tree temp program failed=0
  tree=$(realpath "$1") && temp=$tree/$VANTREL_SCANNER_TEMP || return 1
  rm -rf "$temp" && mkdir -p "$temp" && scanner_start "$tree" "$temp" || return 1
  for program in "${VANTREL_SCANNED_PROGRAMS[@]}"; do
    run_with_temp "$tree" "$(wine_path "$temp")" "$program" || {
      echo "$program failed beside the scanner"
      failed=1
    }
  done
  scanner_stop || failed=1
  ls -A "$temp" | { ! grep .; } || { echo "left in the temporary folder"; failed=1; }
  return $failed
}

# A test program whose temporary folder is missing runs no case, and says so once, in the
# console and in its report (CTest test pack-temp-missing).
#   check_temp_missing TREE
check_temp_missing() {
  local tree results out status
  local expected='the temporary folder C:\users\José\Missing Temp\ is missing or cannot be written (error 3)'
  tree=$(realpath "$1") && results=$tree/scanner/temp-missing || return 1
  rm -rf "$results" && mkdir -p "$results" || return 1
  out=$(run_with_temp "$tree" 'C:\users\José\Missing Temp' report_tests \
    "--gtest_output=xml:$(wine_path "$results")\\report.xml")
  status=$? out=${out//$'\r'/}
  echo "$out"
  [ "$status" = 1 ] && grep -qxF "$expected" <<<"$out" &&
    grep -qF '<testsuites tests="1" failures="1"' "$results/report.xml" &&
    grep -qF "Failed&#x0A;$expected\"" "$results/report.xml"
}
