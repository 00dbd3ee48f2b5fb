# The release's checks (CTest label "release"): tools/release gives the same zips every time,
# holding the tested programs and texts a Windows editor shows right; in a signed release every
# program and DLL verifies, carries SOURCE_DATE_EPOCH as its signing time, is the same every time
# and still runs. Every release packs the tested 32-bit tree (tools/release --tree). Source it
# after release.sh.
#   check_releases TREE DIR          the fixture: four releases of TREE into DIR at once
#   check_release_* TREE DIR         one check each

# Two unsigned releases and two signed ones, the certificate's password once from a file, once
# on standard input; each is mostly one process's work, so all four are made at once.
check_releases() {
  local tree=$1 dir=$2 out pids=()
  rm -rf "$dir" && mkdir -p "$dir" && vantrel_make_signer "$dir/signer" || return 1
  release_into() {
    local out=$1
    shift
    "$(vantrel_root)/tools/release" --out "$dir/$out" --tree "$tree" "$@" >"$dir/$out.log" 2>&1 &&
      python3 -m zipfile -e "$dir/$out"/vantrel-*-win32.zip "$dir/$out" &&
      python3 -m zipfile -e "$dir/$out"/vantrel-*-win32-tests.zip "$dir/$out/tests" ||
      { cat "$dir/$out.log"; return 1; }
  }
  release_into a & pids+=($!)
  release_into b & pids+=($!)
  release_into signed --sign "$dir/signer/signer.pfx" --password-file "$dir/signer/password" &
  pids+=($!)
  release_into signed-again --sign "$dir/signer/signer.pfx" <"$dir/signer/password" & pids+=($!)
  for out in "${pids[@]}"; do wait "$out" || return 1; done
}

# What the zips hold, in order, and with CR LF line ends where Notepad reads them; the tested
# programs and the released exe; SHA256SUMS naming and verifying both zips and the exe.
check_release_contents() {
  local tree=$1 out=$2/a zip tests entry problems=''
  read -r zip tests < <(cd "$out" && echo vantrel-*-win32.zip vantrel-*-win32-tests.zip)
  entries() { python3 -c 'import sys, zipfile; print(*zipfile.ZipFile(sys.argv[1]).namelist())' "$1"; }
  crlf() {
    python3 -c 'import sys; d = open(sys.argv[1], "rb").read()
sys.exit(not (d.endswith(b"\r\n") and d.count(b"\n") == d.count(b"\r\n")))' "$1"
  }
  [ "$(entries "$out/$zip")" = "vantrel.exe README.txt LICENSE.txt" ] || problems+=" zip-entries"
  [ "$(entries "$out/$tests")" = "$(vantrel_test_pack_entries | xargs)" ] || problems+=" pack-entries"
  for entry in README.txt LICENSE.txt tests/run-tests.cmd; do
    crlf "$out/$entry" || problems+=" $entry-line-ends"
  done
  grep -qx "set programs=${VANTREL_PACK_PROGRAMS[*]}"$'\r' "$out/tests/run-tests.cmd" ||
    problems+=" run-tests-programs"
  for entry in "${VANTREL_PACK_PROGRAMS[@]/%/.exe}" "${VANTREL_PACK_HELPERS[@]}" vantrel.exe; do
    cmp -s "$tree/bin/$entry" "$out/tests/$entry" || problems+=" pack-$entry"
  done
  cmp -s "$tree/bin/vantrel.exe" "$out/vantrel.exe" || problems+=" exe"
  [ "$(awk '{ printf "%s ", $2 }' "$out/SHA256SUMS")" = "$zip vantrel.exe $tests " ] ||
    problems+=" sums-names"
  (cd "$out" && sha256sum --quiet -c SHA256SUMS) || problems+=" sums"
  [ -z "$problems" ] || { echo "not as released:$problems"; return 1; }
}

# Verifies the signature of every program and DLL of an unzipped pack against the certificate:
#   verify_pack_signatures CERT.pem FOLDER
verify_pack_signatures() {
  local entry unsigned=''
  for entry in $(vantrel_test_pack_entries | grep -v '\.cmd$'); do
    osslsigncode verify -CAfile "$1" -in "$2/$entry" >/dev/null 2>&1 || unsigned+=" $entry"
  done
  [ -z "$unsigned" ] || { echo "not signed by $1:$unsigned"; return 1; }
}

# Every program and DLL of the signed pack, and vantrel.exe, signed with the one key;
# SHA256SUMS naming and verifying what was signed.
check_release_signature() {
  osslsigncode verify -CAfile "$2/signer/cert.pem" -in "$2/signed/vantrel.exe" >/dev/null &&
    verify_pack_signatures "$2/signer/cert.pem" "$2/signed/tests" &&
    cmp "$2/signed/vantrel.exe" "$2/signed/tests/vantrel.exe" &&
    (cd "$2/signed" && sha256sum -c SHA256SUMS)
}

# osslsigncode prints the signing time as "Signing time: Dec  9 20:11:21 2026 GMT".
check_release_signing_time() {
  local shown
  shown=$(osslsigncode verify -CAfile "$2/signer/cert.pem" -in "$2/signed/vantrel.exe" |
    sed -n 's/^[[:space:]]*Signing time: //p')
  echo "signing time: $shown; SOURCE_DATE_EPOCH: $(vantrel_source_date_epoch)"
  [ -n "$shown" ] && [ "$(date -u -d "${shown% GMT}" +%s)" = "$(vantrel_source_date_epoch)" ]
}

# The signed pack's program_tests starts the vantrel.exe beside it and plants the DLL beside a
# copy of it: signed programs and a signed DLL still load and run.
check_release_signed_program() {
  local signed=$2/signed/tests
  vantrel_wine "$signed/program_tests.exe" --gtest_output="xml:Z:$2/signed/program_tests.xml" ||
    return
  ! grep -q 'result="skipped"' "$2/signed/program_tests.xml"
}
