# Writes a small mail directory of realistic folder files: a 128-byte header (friendly name at
# offset 0, identifier at offset 86, NUL-padded) followed by messages, each ended by byte 0x1A.

vantrel_folder_file() {  # path, friendly name, identifier, message count
  local path=$1 name=$2 id=$3 count=$4 i
  {
    printf '%s' "$name"
    head -c $((86 - ${#name})) /dev/zero
    printf '%s' "$id"
    head -c $((42 - ${#id})) /dev/zero
    for ((i = 1; i <= count; i++)); do
      printf 'From: Anne Example <anne@example.org>\r\nTo: Ben Sample <ben@example.net>\r\n'
      printf 'Date: Mon, %d Nov 2026 09:%02d:00 +0000\r\nSubject: %s, note %d\r\n\r\n' \
        "$i" "$i" "$name" "$i"
      printf 'Hello Ben,\r\n\r\nA few lines about %s.\r\n\r\nAnne\r\n\x1a' "$name"
    done
  } >"$path"
}

vantrel_sample_mail_directory() {  # directory
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  vantrel_folder_file "$dir/FOL01355.PMM" "Family" "6047572E:6F49:FOL01355" 12
  vantrel_folder_file "$dir/FOL02A1C.PMM" "Club newsletters" "60475B12:0A3D:FOL02A1C" 40
  vantrel_folder_file "$dir/FOL0313F.PMM" "Invoices 2026" "6047601F:1C22:FOL0313F" 7
  vantrel_folder_file "$dir/FOL04B77.PMM" "Holiday plans" "604762A0:5E10:FOL04B77" 3
  vantrel_folder_file "$dir/ARCHIVE2019.PMM" "Archive 2019-2024" "5C2A1B00:0001:ARCHIVE" 250
  vantrel_folder_file "$dir/FOL05D20.PMM" "Projects" "60476811:7A01:FOL05D20" 0
  printf 'not a folder\r\n' >"$dir/README.TXT"
}
