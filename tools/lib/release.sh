# What tools/release packs, and how: zips that are the same, byte for byte, whenever they are
# made from the same files, and the test pack, which runs the Windows test programs on any
# Windows PC without CTest or Wine. Source it after common.sh.

# The test programs of the pack, in the order test_summary.exe runs them (run-tests.cmd names
# them) and adds up their reports. Each one must be in the tree when the pack is written.
# ui_tests_utf8 is ui_tests with a manifest that makes UTF-8 its ANSI code page.
VANTREL_PACK_PROGRAMS=(app_tests program_tests report_tests report_tests_utf8 ui_tests ui_tests_utf8)
# What those programs start (frame_probe by app_tests, rich_edit_probe by ui_tests, planted_dll
# by program_tests and ui_tests) and the program that runs them and adds up their reports.
VANTREL_PACK_HELPERS=(frame_probe.exe rich_edit_probe.exe planted_dll.dll test_summary.exe)

# The test pack's entries, in their order in the zip.
vantrel_test_pack_entries() {
  printf '%s\n' run-tests.cmd "${VANTREL_PACK_PROGRAMS[@]/%/.exe}" "${VANTREL_PACK_HELPERS[@]}" \
    vantrel.exe
}

# Whether the checkout is a git work tree of its own (not a source archive unpacked somewhere
# inside another one).
vantrel_in_git() {
  [ "$(git -C "$(vantrel_root)" rev-parse --show-toplevel 2>/dev/null)" = \
    "$(cd "$(vantrel_root)" && pwd -P)" ]
}

# The time the release's files carry, in seconds since 1970: SOURCE_DATE_EPOCH when set; in a
# git checkout the commit's time; else the newest modification time of the tree's files, left
# out the folders named (where earlier output lies), since a source archive made by git gives
# every file the commit's time. Says what is wrong, and fails, when there is no such time.
vantrel_source_date_epoch() {
  local root epoch=${SOURCE_DATE_EPOCH:-} folder prune=()
  root=$(vantrel_root)
  [ -n "$epoch" ] || ! vantrel_in_git || epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null)
  if [ -z "$epoch" ]; then
    for folder in "$root/.git" "$root/build" "$@"; do
      prune+=(-path "$(realpath -m "$folder")" -prune -o)
    done
    epoch=$(find "$(realpath "$root")" "${prune[@]}" -type f -printf '%T@\n' | sort -n | tail -1)
    epoch=${epoch%.*}
  fi
  if ! [[ $epoch =~ ^[0-9]{1,10}$ ]] || [ "$epoch" -gt 4354819199 ]; then
    echo "no time for the release's files: set SOURCE_DATE_EPOCH to seconds since 1970" \
      "(a zip holds times up to 2107)${SOURCE_DATE_EPOCH:+, not '$SOURCE_DATE_EPOCH'}" >&2
    return 1
  fi
  echo "$epoch"
}

# Writes a zip whose entries have a fixed order, SOURCE_DATE_EPOCH as their time (1980, the
# earliest a zip holds, for anything before) and plain MS-DOS attributes, as Windows writes them:
#   vantrel_write_zip OUT.zip NAME=FILE...
# Entries named *.txt and *.cmd are texts and get CR LF line ends, which Windows editors expect
# and without which cmd.exe misreads a batch file's labels.
vantrel_write_zip() { python3 "$(vantrel_root)/tools/lib/write_zip.py" "$@"; }

# Says which of the pack's programs a tree's bin folder lacks, and fails if any.
vantrel_test_pack_complete() {
  local bin=$1 entry missing=0
  for entry in "${VANTREL_PACK_PROGRAMS[@]/%/.exe}" "${VANTREL_PACK_HELPERS[@]}"; do
    [ -f "$bin/$entry" ] || { echo "the test pack needs $bin/$entry" >&2; missing=1; }
  done
  return "$missing"
}

# Writes the test pack from the bin folder of a built tree, with the vantrel.exe given (the
# released one, signed or not) in place of the tree's own:
#   vantrel_write_test_pack OUT.zip BIN VANTREL_EXE
vantrel_write_test_pack() {
  local zip=$1 bin=$2 exe=$3 staging entry pairs=() status
  vantrel_test_pack_complete "$bin" || return 1
  for entry in "${VANTREL_PACK_PROGRAMS[@]/%/.exe}" "${VANTREL_PACK_HELPERS[@]}"; do
    pairs+=("$entry=$bin/$entry")
  done
  staging=$(mktemp -d)
  sed "s/@PROGRAMS@/${VANTREL_PACK_PROGRAMS[*]}/" "$(vantrel_root)/tests/pack/run-tests.cmd" \
    >"$staging/run-tests.cmd"
  vantrel_write_zip "$zip" "run-tests.cmd=$staging/run-tests.cmd" "${pairs[@]}" \
    "vantrel.exe=$exe"
  status=$?
  rm -rf "$staging"
  return "$status"
}

# Signs a Windows program with an Authenticode signature, SHA-256 digests:
#   vantrel_sign IN OUT FILE.pfx PASSWORD_FILE
# The signing time is SOURCE_DATE_EPOCH and no time-stamp server is asked (its answer would
# differ from one signing to the next), so one key gives the same bytes.
vantrel_sign() {
  osslsigncode sign -pkcs12 "$3" -readpass "$4" -h sha256 -n Vantrel -time "$SOURCE_DATE_EPOCH" \
    -in "$1" -out "$2" >/dev/null
}

# Signs every program and DLL of the test pack from a tree's bin folder into OUT, the password
# read once from standard input: Smart App Control and Defender judge each file that runs, DLLs
# too, not just vantrel.exe.
#   vantrel_sign_pack BIN OUT FILE.pfx <PASSWORD
vantrel_sign_pack() {
  local bin=$1 out=$2 pfx=$3 password='' entry
  IFS= read -r password || [ -n "$password" ] || return 1
  vantrel_test_pack_complete "$bin" && mkdir -p "$out" || return 1
  for entry in "${VANTREL_PACK_PROGRAMS[@]/%/.exe}" "${VANTREL_PACK_HELPERS[@]}"; do
    vantrel_sign "$bin/$entry" "$out/$entry" "$pfx" <(printf '%s' "$password") || return 1
  done
}

# A throwaway self-signed code-signing certificate in DIR: signer.pfx, its password in the file
# password, the certificate in cert.pem.
vantrel_make_signer() {
  mkdir -p "$1" && (cd "$1" && printf 'throwaway\n' >password &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 \
      -subj "/CN=Vantrel test signer" -addext extendedKeyUsage=codeSigning 2>/dev/null &&
    openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.pfx -passout file:password)
}
