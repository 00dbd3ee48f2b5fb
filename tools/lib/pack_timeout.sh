# The check of the test pack's time limit: run-tests.cmd with a quick test program and one that
# never ends (and starts another that never ends), under /timeout:5. Source it after common.sh.
#   check_pack_timeout TREE
# TREE is the built Windows tree; the run is in the prefix of its pack (check_pack_prefix).
# Returns non-zero and says what failed.
VANTREL_TIMEOUT_PROGRAMS=(app_tests never_ends)

# A folder beside BIN_DIR holding what those programs need and a run-tests.cmd that runs them.
vantrel_pack_timeout_folder() {
  local bin=$1 dir=$2 file
  rm -rf "$dir" && mkdir -p "$dir" || return 1
  for file in test_summary.exe frame_probe.exe "${VANTREL_TIMEOUT_PROGRAMS[@]/%/.exe}"; do
    cp "$bin/$file" "$dir/" || return 1
  done
  # An earlier run's results, in a folder that stays (Explorer may have it open, and leave a
  # desktop.ini there).
  mkdir "$dir/results" && printf '<testsuites tests="1">\n' >"$dir/results/never_ends.xml" &&
    : >"$dir/results/desktop.ini" &&
    sed -e "s/@PROGRAMS@/${VANTREL_TIMEOUT_PROGRAMS[*]}/" -e 's/$/\r/' \
    "$(vantrel_root)/tests/pack/run-tests.cmd" >"$dir/run-tests.cmd"
}

check_pack_timeout() {
  local bin=$1/bin dir=$1/pack-timeout status start summary failed=0
  set -- env VANTREL_WINEPREFIX="$1/test-pack/wineprefix" \
    $(vantrel_64bit_route || echo VANTREL_WINEARCH=win64) "$(vantrel_root)/tools/wine"
  vantrel_pack_timeout_folder "$bin" "$dir" || return 1
  start=$SECONDS
  (cd "$dir" && timeout 120 "$@" cmd /c run-tests.cmd /nopause /timeout:5) </dev/null \
    >"$dir/run.log" 2>&1
  status=$?
  echo "run-tests.cmd /timeout:5: exit code $status after $((SECONDS - start)) s"
  summary=$(tr -d '\r' 2>/dev/null <"$dir/results/summary.txt")
  timeout_check() { "${@:2}" || { echo "pack timeout check failed: $1"; failed=1; }; }
  timeout_check "run-tests.cmd ends within 120 s" [ "$status" != 124 ]
  timeout_check "run-tests.cmd exits with 1" [ "$status" = 1 ]
  timeout_check "never_ends is counted as timed out" grep -qx 'never_ends: timed out after 5 s' \
    <<<"$summary"
  timeout_check "app_tests passes" grep -Eqx 'app_tests: [1-9][0-9]* passed, 0 failed, 0 skipped' \
    <<<"$summary"
  timeout_check "one failure in all" grep -Eqx '[1-9][0-9]* passed, 1 failed, 0 skipped' \
    <<<"$summary"
  timeout_check "the results folder is kept" [ -e "$dir/results/desktop.ini" ]
  timeout_check "the earlier report is removed" [ ! -e "$dir/results/never_ends.xml" ]
  timeout_check "no process of the run is left" timeout 30 "$@" --server -w
  [ "$failed" = 0 ] || { "$@" --server -k; cat "$dir/run.log"; }
  return "$failed"
}
