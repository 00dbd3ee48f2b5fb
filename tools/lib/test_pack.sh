# The test pack's checks (CTest label "pack"): the pack tools/release writes, made from the tree
# whose programs Wine runs (never published), unzipped into a fresh Wine prefix's drive C and run
# as a Windows user runs it: run-tests.cmd through cmd, under code page 1252 from a folder named
# in letters that code page lacks, by a user whose temporary folder is named outside ASCII, with
# none of the variables CTest gives the tests. Where 32-bit code runs, that prefix is a 64-bit
# one, so the 32-bit programs run under WOW64 with SysWOW64 as their system folder, as on nearly
# every Windows in use. Source it after release.sh.
#   check_pack_prefix TREE, check_pack_run TREE   the fixtures: the prefix, the pack's run
#   check_pack_version TREE VERSION [OPTION...]    the runner under another Windows version
# After those, in the same prefix: run-tests.cmd on a terminal of its own (Wine makes it the
# programs' console), double-clicked and typed at a prompt, from folders whose names cmd could
# misread; and without a job object, while another process holds a results file for a while.

VANTREL_PACK_FOLDER='Vantrel Ωμέγα'
VANTREL_PACK_TEMP='users/Zoë/Temp'

# The pack's folders for the build tree TREE: sets pack_dir, pack_prefix and pack_folder.
pack_paths() {
  pack_dir=$1/test-pack
  pack_prefix=$pack_dir/wineprefix
  pack_folder=$pack_prefix/drive_c/$VANTREL_PACK_FOLDER
}

# Wine in the pack's prefix: a 64-bit one where 32-bit code runs too, for WOW64.
pack_wine() {
  if vantrel_64bit_route; then
    VANTREL_WINEPREFIX=$pack_prefix "$(vantrel_root)/tools/wine" "$@"
  else
    VANTREL_WINEPREFIX=$pack_prefix VANTREL_WINEARCH=win64 "$(vantrel_root)/tools/wine" "$@"
  fi
}

# tools/lib/on_terminal.py OPTION... -- COMMAND..., the command run by the pack's Wine: with a
# terminal of its own.
pack_wine_on_terminal() {
  local options=()
  while [ "$1" != -- ]; do options+=("$1") && shift; done
  local -x VANTREL_WINEPREFIX=$pack_prefix
  vantrel_64bit_route || local -x VANTREL_WINEARCH=win64
  python3 "$(vantrel_root)/tools/lib/on_terminal.py" "${options[@]}" -- \
    "$(vantrel_root)/tools/wine" "${@:2}"
}

# Everything a Wine prefix holds that a program could leave behind: each entry of drive C but the
# folder given, and of each file its size and its modification and change times (any write moves
# the change time); and every registry value under its key, without the times Wine stamps on
# keys, the date it gives its display driver at every start and the entries it rewrites by
# itself (tools/lib/wine-own-registry.txt). A value written over several lines is joined.
prefix_state() {
  find "$pack_prefix/drive_c" -path "$pack_folder" -prune -o -type d -printf '%y %p\n' -o \
    -printf '%y %p %s %T@ %C@\n' | sort
  (cd "$pack_prefix" && awk '
    FNR == NR { if (!/^#/ && NF) own[$0]; next }
    /^#time=/ || /^"DriverDateData"=/ { next }
    { entry = entry $0 }
    /\\$/ { sub(/\\$/, "", entry); next }
    entry ~ /^\[/ { key = FILENAME " " entry; sub(/\] [0-9]+$/, "]", key)
      whole = key in own; if (!whole) print key; entry = ""; next }
    entry ~ /^(@|")/ && !whole { match(entry, /^(@|"([^"\\]|\\.)*")/)
      if (!((key " " substr(entry, 1, RLENGTH)) in own)) print key " " entry }
    { entry = "" }' "$(vantrel_root)/tools/lib/wine-own-registry.txt" system.reg user.reg \
    userdef.reg)
}

# A fresh prefix, or on the 64-bit route a copy of the tree's own (the fixture takes it before
# any test runs there); needs no build.
check_pack_prefix() {
  local pack_dir pack_prefix pack_folder
  pack_paths "$1"
  rm -rf "$pack_dir" && mkdir -p "$pack_dir" || return 1
  if vantrel_64bit_route; then
    cp -a "$1/wineprefix" "$pack_prefix"
  else
    pack_wine cmd /c exit >/dev/null && pack_wine --server -w
  fi
}

# Gives the pack's user the temporary folder C:\users\Zoë\Temp, where Windows keeps it: TEMP and
# TMP in HKCU\Environment. Wine reads its arguments in the Unix locale's character set: UTF-8.
pack_user_temp() {
  local name
  mkdir -p "$pack_prefix/drive_c/$VANTREL_PACK_TEMP"
  for name in TEMP TMP; do
    LC_ALL=C.UTF-8 pack_wine reg add 'HKCU\Environment' /v "$name" /t REG_EXPAND_SZ \
      /d "C:\\${VANTREL_PACK_TEMP//\//\\}" /f >/dev/null || return
  done
  pack_wine --server -w
}

# Writes the pack signed as a signed release's is, every program and DLL in it (where the
# released 32-bit programs cannot run, this shows that signed ones still start and pass), unzips
# it and runs run-tests.cmd as a user would. Wine takes code page 1252 from the C locale, and maps
# file names as UTF-8 all the same.
check_pack_run() {
  local tree=$1 pack_dir pack_prefix pack_folder variables
  pack_paths "$tree"
  local -x SOURCE_DATE_EPOCH
  SOURCE_DATE_EPOCH=$(vantrel_source_date_epoch) &&
    vantrel_make_signer "$pack_dir/signer" &&
    vantrel_sign "$tree/bin/vantrel.exe" "$pack_dir/vantrel.exe" "$pack_dir/signer/signer.pfx" \
      "$pack_dir/signer/password" &&
    vantrel_sign_pack "$tree/bin" "$pack_dir/signed" "$pack_dir/signer/signer.pfx" \
      <"$pack_dir/signer/password" &&
    vantrel_write_test_pack "$pack_dir/pack.zip" "$pack_dir/signed" "$pack_dir/vantrel.exe" &&
    pack_user_temp && prefix_state >"$pack_dir/before" &&
    python3 -m zipfile -e "$pack_dir/pack.zip" "$pack_folder" || return 1
  variables=$(compgen -e | grep -e '^VANTREL_' -e '^CTEST' | grep -v -e '^VANTREL_WINE' \
    -e '^VANTREL_64BIT')
  (cd "$pack_folder" && unset $variables LC_ALL DISPLAY && LANG=C.UTF-8 &&
    pack_wine cmd /c run-tests.cmd) </dev/null >"$pack_dir/run.log" 2>&1
  echo $? >"$pack_dir/exit-code"
  pack_wine --server -w
  cat "$pack_dir/run.log"
}

# A fresh copy of TREE/pack-pause (run-tests.cmd for app_tests, and what it runs) in a folder of
# that name beside it, named as Wine names it; sets folder and windows_folder.
pause_folder() {
  folder=$1/pack-pause/$2
  windows_folder=Z:${folder//\//\\}
  rm -rf "$folder" && mkdir "$folder" && cp "$1"/pack-pause/*.exe "$1/pack-pause/run-tests.cmd" \
    "$folder"
}

# run-tests.cmd run from FOLDER on a terminal, in a cmd whose command line is LINE: what
# %cmdcmdline% gives on Windows. Wine's cmd has none, and reads the variable of that name instead.
#   run_on_terminal FOLDER LINE [--key-after TEXT]
run_on_terminal() {
  (cd "$1" && export CMDCMDLINE=$2 && pack_wine_on_terminal 30 "${@:3}" -- cmd /c run-tests.cmd)
}

# Double-clicked in Explorer, which starts it as cmd /c ""PATH" ", it waits for a key at the end.
check_pack_double_click() {
  local folder windows_folder output
  pack_paths "$1" && pause_folder "$1" 'Vantrel & more ^' || return 1
  output=$(run_on_terminal "$folder" \
    "C:\\windows\\system32\\cmd.exe /c \"\"$windows_folder\\run-tests.cmd\" \"" \
    --key-after 'Press any key to close this window.')
  echo "$output"
  grep -Eqx 'app_tests: [1-9][0-9]* passed, 0 failed, 0 skipped' <<<"$output" &&
    grep -q '^Press any key to close this window\.' <<<"$output" &&
    grep -qx 'exit code 0' <<<"$output"
}

# Typed at a Command Prompt, it runs in the prompt's own cmd, whose console holds that cmd and
# test_summary.exe, as a double-click's does: it never waits for a key, which no one would press.
# Its results are written in a folder whose name holds a %, which Wine's cmd drops from %~dp0,
# so the prompt's current folder is the pack's, as Explorer's would be.
check_pack_from_a_prompt() {
  local folder windows_folder output
  pack_paths "$1" && pause_folder "$1" 'Vantrel 100% & more!' || return 1
  output=$(run_on_terminal "$folder" '"C:\windows\system32\cmd.exe"')
  echo "$output"
  grep -Eqx 'app_tests: [1-9][0-9]* passed, 0 failed, 0 skipped' <<<"$output" &&
    ! grep -q 'Press any key' <<<"$output" && grep -qx 'exit code 0' <<<"$output" &&
    [ -s "$folder/results/app_tests.xml" ] && [ -s "$folder/results/summary.txt" ]
}

# Without a job object, the program that never ends and the one it started are ended all the
# same (pack-no-job-leaves-no-process), and the summary says so; meanwhile another process holds
# app_tests' earlier report until app_tests is about to run, which waits for it. A program named
# too, but not in the folder, is taken for one an antivirus quarantined.
check_pack_no_job() {
  local folder=$1/pack-timeout output
  pack_paths "$1" && mkdir -p "$folder/results" && cd "$folder" || return 1
  output=$(hold_while_running 'results\app_tests.xml' 'Running app_tests' \
    cmd /c run-tests.cmd /nopause /nojob /timeout:5 gone_tests)
  echo "$output"
  local gone='gone_tests: gone_tests.exe is missing from the folder; an antivirus may have'
  grep -qx "$gone quarantined it (error 2)" <<<"$output" &&
    grep -q '^Windows or an antivirus kept some programs from running\.' <<<"$output" &&
    grep -Eqx 'app_tests: [1-9][0-9]* passed, 0 failed, 0 skipped' <<<"$output" &&
    grep -qx 'never_ends: timed out after 5 s' <<<"$output" &&
    grep -qx 'ran without a job object (/nojob): programs a test left running may not be ended' \
      <<<"$output" && grep -Eqx '[0-9]+ passed, 2 failed, 0 skipped' <<<"$output" &&
    grep -qx 'exit code 1' <<<"$output"
}

# Runs COMMAND in the pack's Wine while never_ends holds FILE, until a line of its output starts
# with TEXT; prints that output, line ends as on Unix, then "exit code N", for a minute at
# most. Only this shell may write to never_ends' input, whose end lets the file go.
#   hold_while_running FILE TEXT COMMAND...
hold_while_running() {
  local line held pid
  coproc holder { pack_wine never_ends.exe hold "$1"; }
  held=${holder[1]} pid=$holder_PID
  read -r line <&"${holder[0]}" && [ "${line%$'\r'}" = holding ] || return 1
  while IFS= read -r -t 60 line; do
    line=${line%$'\r'}
    printf '%s\n' "$line"
    [[ -n $held && $line == "$2"* ]] && exec {held}>&- && held=
  done < <(exec {held}>&- && pack_wine "${@:3}" 2>&1; echo "exit code $?")
  [ -z "$held" ] || exec {held}>&-
  wait "$pid"
}

# The pack's summary (results\summary.txt) and the counts of its last line.
pack_summary() { tr -d '\r' <"$pack_folder/results/summary.txt"; }
pack_counts() { pack_summary | tail -n 1 | tr -cs '0-9' ' '; }

# Each check: check_pack_NAME TREE.
check_pack_summary() {
  pack_paths "$1"
  pack_summary | tail -n 1 | grep -Eqx '[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped' &&
    pack_summary | grep -q '^Windows [0-9]' && pack_summary | grep -qx 'ANSI code page 1252'
}

# The summary's counts are those of CTest's reports of the same programs (the same counter,
# built for this machine), but for cases the pack skipped where CTest ran them, which it names.
check_pack_counts() {
  local p f s cp cf cs
  pack_paths "$1"
  read -r cp cf cs < <("$1/host/test_summary" --reports "$1/test-results" \
    "${VANTREL_PACK_PROGRAMS[@]}" | tr -cs '0-9' ' ')
  read -r p f s < <(pack_counts)
  echo "pack: $p passed, $f failed, $s skipped; CTest: $cp passed, $cf failed, $cs skipped"
  pack_summary | grep '^skipped: '
  [ "$f" = "$cf" ] && [ $((p + s)) = $((cp + cs)) ] && [ "$s" -ge "$cs" ]
}

check_pack_exit_code() {
  local p f s code
  pack_paths "$1"
  read -r p f s < <(pack_counts)
  code=$(cat "$pack_dir/exit-code")
  echo "run-tests.cmd exit code $code, $f failed"
  [ $((code == 0)) = $((f == 0)) ]
}

check_pack_signed_program() {
  pack_paths "$1"
  verify_pack_signatures "$pack_dir/signer/cert.pem" "$pack_folder" &&
    pack_summary | grep -Eqx 'program_tests: [1-9][0-9]* passed, 0 failed, 0 skipped'
}

check_pack_only_results() {
  pack_paths "$1"
  [ "$(ls "$pack_folder" | sort)" = "$( (vantrel_test_pack_entries; echo results) | sort)" ]
}

check_pack_temp_left_empty() {
  pack_paths "$1"
  ls -A "$pack_prefix/drive_c/$VANTREL_PACK_TEMP" | { ! grep .; }
}

check_pack_prefix_unchanged() { pack_paths "$1" && diff "$pack_dir/before" <(prefix_state); }

check_pack_syswow64() {
  if vantrel_64bit_route; then
    echo "skipped: the pack runs as 64-bit programs: $(vantrel_64bit_reason)"
    return 77
  fi
  [ -d "$1/test-pack/wineprefix/drive_c/windows/syswow64" ]
}

# The cases that look up a function the running Windows may lack, and the frame in a process of
# its own, the runner's quick program: the error mode read without Vista's GetErrorMode, and the
# program loading its rich-edit DLL with SetDefaultDllDirectories or without it. Wine keeps
# every function whatever Windows it reports; the runs show that nothing else of theirs, nor of
# the runner's, hangs on the version.
VANTREL_VERSION_CASES='ProgramFrameProcessTest.StackGuard*:GuardedCallTest.*:ProgramTest.ADllBeside*'

# The pack's runner and those cases, with a program that never ends for its time limit, from
# TREE/pack-versions in the pack's prefix once Wine there reports Windows VERSION (Wine's name
# for it: winxp64, win7), then its exit code. OPTIONs, the time limit among them, go to the
# runner. Run after the pack's own checks: it changes the prefix's registry.
check_pack_version() {
  local pack_dir pack_prefix pack_folder
  pack_paths "$1"
  pack_wine reg add 'HKCU\Software\Wine' /v Version /d "$2" /f >/dev/null || return 1
  (cd "$1/pack-versions" && GTEST_FILTER=$VANTREL_VERSION_CASES pack_wine test_summary.exe \
    /nopause "${@:3}" app_tests report_tests program_tests never_ends)
  echo "exit code $?"
}
