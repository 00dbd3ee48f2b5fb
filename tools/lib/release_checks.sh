# The release checks of tools/test: tools/release gives the same zip every time, holding the
# tested program and texts a Windows editor shows right; a signed release verifies, is the same
# every time and still runs; and the program passes its end-to-end test under WOW64, as nearly
# every user runs it. Source it after common.sh.

# Runs the checks and prints how many failed; says which on standard error. Needs the tested
# build/windows tree and the virtual display.
vantrel_check_release() {
  local root dir tested signer prefix zip failed=0
  root=$(vantrel_root)
  dir=$root/build/release-check
  tested=$root/build/windows/bin
  signer=$dir/signer
  prefix=$root/build/windows/wineprefix-win64
  rm -rf "$dir"
  mkdir -p "$signer"
  release_check() {
    local what=$1
    shift
    "$@" >&2 && return
    echo "release check failed: $what" >&2
    failed=$((failed + 1))
    return 1
  }
  release_into() {
    local out=$1
    shift
    "$root/tools/release" --out "$dir/$out" "$@" >"$dir/$out.log" 2>&1 ||
      { cat "$dir/$out.log" >&2; return 1; }
    zip=$(cd "$dir/$out" && echo vantrel-*-win32.zip)
    python3 -m zipfile -e "$dir/$out/$zip" "$dir/$out"
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
  sums_verify() { (cd "$1" && sha256sum --quiet -c SHA256SUMS); }
  released_twice() { release_into a && release_into b; }
  # The certificate's password once from a file, once on standard input.
  signed_twice() {
    release_into signed --sign "$signer/signer.pfx" --password-file "$signer/password" &&
      release_into signed-again --sign "$signer/signer.pfx" <"$signer/password"
  }
  signature_verifies() {
    osslsigncode verify -CAfile "$signer/cert.pem" -in "$1" >"$signer/verify.log" 2>&1 ||
      { cat "$signer/verify.log" >&2; return 1; }
  }
  in_wow64() { VANTREL_WINEPREFIX=$prefix VANTREL_WINEARCH=win64 "$@"; }

  release_check "tools/release, twice" released_twice || { echo "$failed"; return; }
  release_check "two releases of one commit give the same zip" cmp "$dir/a/$zip" "$dir/b/$zip"
  release_check "the zip holds vantrel.exe, README.txt and LICENSE.txt, in that order" \
    [ "$(zip_entries "$dir/a/$zip")" = "vantrel.exe README.txt LICENSE.txt" ]
  release_check "README.txt has CR LF line ends" crlf_only "$dir/a/README.txt"
  release_check "LICENSE.txt has CR LF line ends" crlf_only "$dir/a/LICENSE.txt"
  release_check "the released exe is the tested one" cmp "$tested/vantrel.exe" "$dir/a/vantrel.exe"
  release_check "SHA256SUMS" sums_verify "$dir/a"

  # A throwaway self-signed code-signing certificate.
  (cd "$signer" && printf 'throwaway\n' >password &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 \
      -subj "/CN=Vantrel test signer" -addext extendedKeyUsage=codeSigning 2>/dev/null &&
    openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.pfx -passout file:password) >&2
  release_check "tools/release --sign, twice" signed_twice || { echo "$failed"; return; }
  release_check "one key signs the same bytes" cmp "$dir/signed/$zip" "$dir/signed-again/$zip"
  release_check "the signature verifies" signature_verifies "$dir/signed/vantrel.exe"
  release_check "SHA256SUMS of the signed release" sums_verify "$dir/signed"
  if vantrel_64bit_route; then
    # No 32-bit program runs on this machine: the 64-bit build, signed the same way, shows at
    # least that a signed program still starts and passes.
    mkdir -p "$dir/signed64"
    cp "$root/build/windows64/bin/"{program_tests.exe,planted_dll.dll} "$dir/signed64/"
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) vantrel_sign \
      "$root/build/windows64/bin/vantrel.exe" "$dir/signed64/vantrel.exe" "$signer/signer.pfx" \
      "$signer/password"
    release_check "the end-to-end test on the signed 64-bit program" \
      runs_program_tests "$dir/signed64"
    vantrel_log "no 32-bit program runs here: the test under WOW64 is left out"
    echo "$failed"
    return
  fi
  # program_tests starts the vantrel.exe beside it.
  cp "$tested/program_tests.exe" "$tested/planted_dll.dll" "$dir/signed/"
  release_check "the end-to-end test on the signed program" runs_program_tests "$dir/signed"

  # The tested program once more, in a 64-bit prefix of its own (made once, kept like the
  # 32-bit one), where 32-bit programs run under WOW64 with SysWOW64 as their system folder.
  mkdir -p "$dir/wow64"
  cp "$tested/"{program_tests.exe,planted_dll.dll,vantrel.exe} "$dir/wow64/"
  release_check "the end-to-end test under WOW64" in_wow64 runs_program_tests "$dir/wow64"
  release_check "the 64-bit prefix has SysWOW64" [ -d "$prefix/drive_c/windows/syswow64" ]
  in_wow64 vantrel_wine --server -k >/dev/null 2>&1
  echo "$failed"
}
