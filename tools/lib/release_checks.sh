# The release checks of tools/test: tools/release gives the same zips every time, holding the
# tested programs and texts a Windows editor shows right; a signed release verifies, is the same
# every time and still runs. Every release here packs the tested build/windows (tools/release
# --tree), built once: that two clean builds give the same bytes, tools/test checks apart
# (build/windows-again). Source it after common.sh.
. "$(dirname "${BASH_SOURCE[0]}")/release.sh"

# Runs the checks and prints how many failed; says which on standard error. Needs the tested
# build/windows tree, and on the 32-bit route the virtual display.
vantrel_check_release() {
  local root dir tested signer zip tests_zip failed=0
  root=$(vantrel_root)
  dir=$root/build/release-check
  tested=$root/build/windows/bin
  signer=$dir/signer
  rm -rf "$dir"
  mkdir -p "$dir"
  release_check() { vantrel_counted_check "release" "$@"; }
  release_into() {
    local out=$1
    shift
    "$root/tools/release" --out "$dir/$out" --tree "$root/build/windows" "$@" \
      >"$dir/$out.log" 2>&1 || { cat "$dir/$out.log" >&2; return 1; }
    python3 -m zipfile -e "$dir/$out"/vantrel-*-win32.zip "$dir/$out" &&
      python3 -m zipfile -e "$dir/$out"/vantrel-*-win32-tests.zip "$dir/$out/tests"
  }
  zip_entries() {
    python3 -c 'import sys, zipfile; print(*zipfile.ZipFile(sys.argv[1]).namelist())' "$1"
  }
  crlf_only() {
    python3 -c 'import sys; d = open(sys.argv[1], "rb").read()
sys.exit(not (d.endswith(b"\r\n") and d.count(b"\n") == d.count(b"\r\n")))' "$1"
  }
  runs_program_tests() {
    vantrel_wine "$1/program_tests.exe" --gtest_output="xml:Z:$1/program_tests.xml" \
      >"$1/program_tests.log" 2>&1 || { cat "$1/program_tests.log" >&2; return 1; }
    ! grep -q 'result="skipped"' "$1/program_tests.xml"
  }
  # osslsigncode prints the signing time as "Signing time: Dec  9 20:11:21 2026 GMT".
  signed_at_source_date() {
    local shown
    shown=$(sed -n 's/^[[:space:]]*Signing time: //p' "$signer/verify.log")
    echo "signing time: $shown"
    [ -n "$shown" ] && [ "$(date -u -d "${shown% GMT}" +%s)" = "$(vantrel_source_date_epoch)" ]
  }
  sums_verify() { (cd "$1" && sha256sum --quiet -c SHA256SUMS); }
  sums_name() {
    [ "$(awk '{ print $2 }' "$1/SHA256SUMS" | tr '\n' ' ')" = "$zip vantrel.exe $tests_zip " ]
  }
  # The pack's test programs and what they start are the tested ones; its vantrel.exe is the
  # release zip's.
  pack_holds() {
    local entry
    for entry in "${VANTREL_PACK_PROGRAMS[@]/%/.exe}" "${VANTREL_PACK_HELPERS[@]}"; do
      cmp "$tested/$entry" "$1/tests/$entry" || return 1
    done
    cmp "$1/vantrel.exe" "$1/tests/vantrel.exe"
  }
  runs_the_list() {
    grep -qx "set programs=${VANTREL_PACK_PROGRAMS[*]}"$'\r' "$1/tests/run-tests.cmd"
  }
  released_twice() { wait "$a" && wait "$b"; }
  signed_twice() { wait "$signed" && wait "$signed_again"; }
  signature_verifies() {
    osslsigncode verify -CAfile "$signer/cert.pem" -in "$1" >"$signer/verify.log" 2>&1 ||
      { cat "$signer/verify.log" >&2; return 1; }
  }

  # Each release is mostly one process's work, so all four are made at once; the certificate's
  # password once from a file, once on standard input.
  vantrel_make_signer "$signer" >&2
  local a b signed signed_again
  release_into a &
  a=$!
  release_into b &
  b=$!
  release_into signed --sign "$signer/signer.pfx" --password-file "$signer/password" &
  signed=$!
  release_into signed-again --sign "$signer/signer.pfx" <"$signer/password" &
  signed_again=$!
  release_check "tools/release, twice" released_twice || { echo "$failed"; return; }
  zip=$(cd "$dir/a" && echo vantrel-*-win32.zip)
  tests_zip=${zip%.zip}-tests.zip
  release_check "two releases of one commit give the same zip" cmp "$dir/a/$zip" "$dir/b/$zip"
  release_check "two releases of one commit give the same test pack" \
    cmp "$dir/a/$tests_zip" "$dir/b/$tests_zip"
  release_check "the zip holds vantrel.exe, README.txt and LICENSE.txt, in that order" \
    [ "$(zip_entries "$dir/a/$zip")" = "vantrel.exe README.txt LICENSE.txt" ]
  release_check "the test pack holds $(vantrel_test_pack_entries | tr '\n' ' ')in that order" \
    [ "$(zip_entries "$dir/a/$tests_zip")" = "$(vantrel_test_pack_entries | xargs)" ]
  release_check "README.txt has CR LF line ends" crlf_only "$dir/a/README.txt"
  release_check "LICENSE.txt has CR LF line ends" crlf_only "$dir/a/LICENSE.txt"
  release_check "run-tests.cmd has CR LF line ends" crlf_only "$dir/a/tests/run-tests.cmd"
  release_check "run-tests.cmd runs the pack's programs" runs_the_list "$dir/a"
  release_check "the released exe is the tested one" cmp "$tested/vantrel.exe" "$dir/a/vantrel.exe"
  release_check "the test pack holds the tested programs and the released exe" \
    pack_holds "$dir/a"
  release_check "SHA256SUMS names the zip, the exe and the test pack" sums_name "$dir/a"
  release_check "SHA256SUMS" sums_verify "$dir/a"

  release_check "tools/release --sign, twice" signed_twice || { echo "$failed"; return; }
  release_check "one key signs the same bytes" cmp "$dir/signed/$zip" "$dir/signed-again/$zip"
  release_check "one key gives the same test pack" \
    cmp "$dir/signed/$tests_zip" "$dir/signed-again/$tests_zip"
  release_check "the signature verifies" signature_verifies "$dir/signed/vantrel.exe"
  release_check "the signature's signing time is SOURCE_DATE_EPOCH" signed_at_source_date
  release_check "the signed test pack holds the signed exe" \
    cmp "$dir/signed/vantrel.exe" "$dir/signed/tests/vantrel.exe"
  release_check "SHA256SUMS of the signed release" sums_verify "$dir/signed"
  # program_tests starts the vantrel.exe beside it. Where no 32-bit program runs, the test
  # pack's run of the signed 64-bit program stands in for this (tools/lib/test_pack.sh).
  if vantrel_64bit_route; then
    vantrel_skip "the end-to-end test on the signed 32-bit program" "$(vantrel_64bit_reason)"
  else
    cp "$tested/program_tests.exe" "$tested/planted_dll.dll" "$dir/signed/"
    release_check "the end-to-end test on the signed program" \
      runs_program_tests "$dir/signed"
  fi
  echo "$failed"
}
