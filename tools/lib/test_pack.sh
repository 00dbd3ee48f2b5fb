# The test pack's run in tools/test: the pack tools/release writes, made here from the tree whose
# programs Wine runs (never published), unzipped into a fresh Wine prefix's drive C and run as a
# Windows user runs it: run-tests.cmd through cmd, under code page 1252 from a folder named in
# letters that code page lacks, by a user whose temporary folder is named outside ASCII, with
# none of the variables CTest gives the tests. Where 32-bit code
# runs, that prefix is a 64-bit one, so the 32-bit programs run under WOW64 with SysWOW64 as
# their system folder, as on nearly every Windows in use. Source it after common.sh.
. "$(dirname "${BASH_SOURCE[0]}")/release.sh"

VANTREL_PACK_FOLDER='Vantrel Ωμέγα'
VANTREL_PACK_TEMP='users/Zoë/Temp'

# Adds up the GoogleTest reports of the programs named, as "passed failed skipped"; counts as
# tools/test does: a missing report is one failure, a skipped case is not passed.
#   vantrel_count_reports DIR NAME...
vantrel_count_reports() {
  local dir=$1 name xml passed=0 failed=0 skipped=0 tests bad skips
  shift
  for name in "$@"; do
    xml=$dir/$name.xml
    if [ ! -s "$xml" ]; then
      failed=$((failed + 1))
      continue
    fi
    read -r tests bad < <(grep -m1 '<testsuites' "$xml" | awk '{
      for (i = 1; i <= NF; i++)
        if (split($i, kv, "=") == 2) { gsub(/[">]/, "", kv[2]); v[kv[1]] = kv[2] }
      print v["tests"] - v["disabled"], v["failures"] + v["errors"] }')
    skips=$(grep -c 'result="skipped"' "$xml")
    passed=$((passed + tests - bad - skips))
    failed=$((failed + bad))
    skipped=$((skipped + skips))
  done
  echo "$passed $failed $skipped"
}

# Everything a Wine prefix holds that a program could leave behind: each entry of drive C but the
# folder given, and of each file its size and its modification and change times (any write moves
# the change time); and every registry value under its key, without the times Wine stamps on keys, the date
# it gives its display driver at every start and the entries it rewrites by itself
# (tools/lib/wine-own-registry.txt). A value written over several lines is joined into one.
#   vantrel_prefix_state PREFIX EXCEPT
vantrel_prefix_state() {
  local prefix=$1 except=$2
  find "$prefix/drive_c" -path "$except" -prune -o -type d -printf '%y %p\n' -o \
    -printf '%y %p %s %T@ %C@\n' | sort
  (cd "$prefix" && awk '
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

# The pack's folders for build/TREE: sets pack_dir, pack_prefix and pack_folder.
vantrel_test_pack_paths() {
  pack_dir=$(vantrel_root)/build/$1/test-pack
  pack_prefix=$pack_dir/wineprefix
  pack_folder=$pack_prefix/drive_c/$VANTREL_PACK_FOLDER
}

# Wine in the pack's prefix: a 64-bit one where 32-bit code runs too, for WOW64.
vantrel_pack_wine() {
  if vantrel_64bit_route; then
    VANTREL_WINEPREFIX=$pack_prefix "$(vantrel_root)/tools/wine" "$@"
  else
    VANTREL_WINEPREFIX=$pack_prefix VANTREL_WINEARCH=win64 "$(vantrel_root)/tools/wine" "$@"
  fi
}

# Makes the fresh prefix the pack of build/TREE runs in, or copies one in which nothing has run
# yet (as cheap as a fresh one is dear); needs no build, so it can be made while the tree builds.
# Needs the virtual display.
#   vantrel_test_pack_prefix TREE [UNUSED_PREFIX]
vantrel_test_pack_prefix() {
  local pack_dir pack_prefix pack_folder
  vantrel_test_pack_paths "$1"
  rm -rf "$pack_dir"
  mkdir -p "$pack_dir"
  if [ -n "${2:-}" ]; then
    cp -a "$2" "$pack_prefix"
  else
    vantrel_pack_wine cmd /c exit >/dev/null && vantrel_pack_wine --server -w
  fi
}

# Gives the pack's user the temporary folder C:\users\Zoë\Temp, where Windows keeps it:
# TEMP and TMP in HKCU\Environment. Written as a Unicode .reg file, so that no code page comes
# between the name and the registry.
vantrel_pack_user_temp() {
  local reg=$pack_dir/user-temp.reg
  mkdir -p "$pack_prefix/drive_c/$VANTREL_PACK_TEMP"
  python3 - "$reg" "C:\\${VANTREL_PACK_TEMP//\//\\}" <<'EOF' || return
import sys
value = sys.argv[2].replace("\\", "\\\\")
text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Environment]\r\n"
text += "".join('"%s"="%s"\r\n' % (name, value) for name in ("TEMP", "TMP"))
open(sys.argv[1], "w", encoding="utf-16", newline="").write(text)
EOF
  vantrel_pack_wine regedit /S "Z:${reg//\//\\}" && vantrel_pack_wine --server -w
}

# Writes the pack of build/TREE, unzips it into the fresh prefix and runs run-tests.cmd there as
# a Windows user would; it can run beside CTest's run of the same programs.
#   vantrel_run_test_pack TREE
vantrel_run_test_pack() {
  local tree=$1 root pack_dir pack_prefix pack_folder test_variables
  root=$(vantrel_root)
  vantrel_test_pack_paths "$tree"
  [ -d "$pack_prefix/drive_c" ] || { echo "no fresh prefix for the pack" >&2; return 1; }
  local -x SOURCE_DATE_EPOCH
  SOURCE_DATE_EPOCH=$(vantrel_source_date_epoch) || return 1
  # Its vantrel.exe signed as a signed release's is: where the released 32-bit program cannot
  # run, this run shows that a signed program still starts and passes.
  vantrel_make_signer "$pack_dir/signer" >&2 &&
    vantrel_sign "$root/build/$tree/bin/vantrel.exe" "$pack_dir/vantrel.exe" \
      "$pack_dir/signer/signer.pfx" "$pack_dir/signer/password" &&
    vantrel_write_test_pack "$pack_dir/pack.zip" "$root/build/$tree/bin" "$pack_dir/vantrel.exe" ||
    return 1
  vantrel_pack_user_temp || return 1
  vantrel_prefix_state "$pack_prefix" "$pack_folder" >"$pack_dir/before"
  python3 -m zipfile -e "$pack_dir/pack.zip" "$pack_folder" || return 1
  # The variables the project's tests may read, as CTest sets them; tools/wine's stay.
  test_variables=$(compgen -e | grep '^VANTREL_' | grep -v -e '^VANTREL_WINE' -e '^VANTREL_64BIT')
  # Wine takes code page 1252 from the C locale; file names it maps as UTF-8 all the same.
  (cd "$pack_folder" && unset $test_variables LC_ALL && LANG=C.UTF-8 &&
    vantrel_pack_wine cmd /c run-tests.cmd) \
    </dev/null >"$pack_dir/run.log" 2>&1
  echo $? >"$pack_dir/exit-code"
  vantrel_pack_wine --server -w
  cat "$pack_dir/run.log"
}

# Checks what the pack's run did, against CTest's reports of the same programs
# (build/TREE/test-results); returns how many checks failed and says which on standard error.
#   vantrel_check_test_pack TREE
vantrel_check_test_pack() {
  local tree=$1 root pack_dir pack_prefix pack_folder failed=0 exit_code
  root=$(vantrel_root)
  vantrel_test_pack_paths "$tree"
  exit_code=$(cat "$pack_dir/exit-code" 2>/dev/null)
  pack_check() { vantrel_counted_check "test pack" "$@"; }
  summary_line() { tail -n 1 "$pack_folder/results/summary.txt" | tr -d '\r'; }
  has_counts() { summary_line | grep -Eqx '[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped'; }
  # The summary's counts are CTest's, but for cases the pack skipped where CTest ran them,
  # which it names.
  matches_ctest() {
    local p f s cp cf cs
    read -r cp cf cs < <(vantrel_count_reports "$root/build/$tree/test-results" \
      "${VANTREL_PACK_PROGRAMS[@]}")
    read -r p f s < <(summary_line | tr -cs '0-9' ' ')
    echo "test pack: $(summary_line); CTest, the same programs: $cp passed, $cf failed, $cs skipped"
    [ "$s" -gt "$cs" ] && echo "the pack skipped $((s - cs)) more; it names its skips:" &&
      grep '^skipped: ' "$pack_folder/results/summary.txt"
    [ "$f" = "$cf" ] && [ $((p + s)) = $((cp + cs)) ] && [ "$s" -ge "$cs" ]
  }
  describes_system() {
    grep -q '^Windows [0-9]' "$pack_folder/results/summary.txt" &&
      grep -q '^ANSI code page 1252\b' "$pack_folder/results/summary.txt"
  }
  exit_code_tells() {
    local p f s
    read -r p f s < <(summary_line | tr -cs '0-9' ' ')
    echo "run-tests.cmd exit code $exit_code, $f failed"
    [ -n "$exit_code" ] && [ $((exit_code == 0)) = $((f == 0)) ]
  }
  signed_program_passes() {
    osslsigncode verify -CAfile "$pack_dir/signer/cert.pem" -in "$pack_folder/vantrel.exe" \
      >/dev/null && [ "$(vantrel_count_reports "$pack_folder/results" program_tests |
      cut -d' ' -f2-)" = "0 0" ]
  }
  only_results_added() {
    [ "$(ls "$pack_folder" | sort)" = "$( (vantrel_test_pack_entries; echo results) | sort)" ]
  }
  unchanged() { diff "$pack_dir/before" <(vantrel_prefix_state "$pack_prefix" "$pack_folder"); }

  if pack_check "run-tests.cmd writes results\\summary.txt, ending in the counts" has_counts; then
    pack_check "the summary names the Windows version and the ANSI code page, 1252" \
      describes_system
    pack_check "the pack's summary matches CTest's counts" matches_ctest
    pack_check "run-tests.cmd exits with 0 only when nothing failed" exit_code_tells
    pack_check "the signed program passes the end-to-end test, none skipped" signed_program_passes
  fi
  pack_check "the pack's folder holds nothing new but the results" only_results_added
  pack_check "nothing is left in the user's %TEMP%" \
    [ -z "$(ls -A "$pack_prefix/drive_c/$VANTREL_PACK_TEMP")" ]
  pack_check "nothing else changed in the prefix, files or registry" unchanged
  if vantrel_64bit_route; then
    vantrel_skip "the 32-bit pack under WOW64: the 64-bit prefix has SysWOW64" \
      "$(vantrel_64bit_reason)"
  else
    pack_check "the 64-bit prefix has SysWOW64" [ -d "$pack_prefix/drive_c/windows/syswow64" ]
  fi
  vantrel_pack_wine --server -k >/dev/null 2>&1
  return "$failed"
}
