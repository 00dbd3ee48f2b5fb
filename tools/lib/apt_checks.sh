# The install's check (CTest label "install"): with every package index unreachable (a copy of
# apt's configuration whose one source refuses connections), vantrel_apt_install tries the
# install twice and stops with a message saying what failed and what to try, and the machine's
# own apt configuration and indexes stay as they were. Needs root, as an install does.

# Names, sizes and times of everything apt keeps: a change to any shows.
apt_state() { find /etc/apt /var/lib/apt/lists -printf '%p %s %T@\n' 2>/dev/null | sort | sha256sum; }

check_install() {
  local dir before status problems=''
  [ "$(id -u)" -eq 0 ] || { echo "skipped: the install check needs root"; return 77; }
  dir=$(mktemp -d) && chmod 755 "$dir" || return 1
  mkdir -p "$dir"/{parts,lists/partial,cache/archives/partial}
  echo 'deb http://127.0.0.1:9/debian stable main' >"$dir/sources.list"
  cat >"$dir/apt.conf" <<CONF
Dir::Etc::sourcelist "$dir/sources.list";
Dir::Etc::sourceparts "$dir/parts";
Dir::State::lists "$dir/lists";
Dir::Cache "$dir/cache";
CONF
  before=$(apt_state)
  APT_CONFIG=$dir/apt.conf VANTREL_APT_RETRIES=0 vantrel_apt_install vantrel-no-such-package \
    >"$dir/out" 2>&1
  status=$?
  cat "$dir/out"
  [ "$status" -ne 0 ] || problems+="; the install said it succeeded"
  grep -q "preferring .*'s versions" "$dir/out" || problems+="; the install was not tried again"
  grep -q 'could not install: vantrel-no-such-package' "$dir/out" || problems+="; no message"
  [ "$(apt_state)" = "$before" ] || problems+="; the machine's apt state changed"
  rm -rf "$dir"
  [ -z "$problems" ] || { echo "install check failed${problems}"; return 1; }
}

# Nothing of a run stays mounted in the Wine root, so removing the root touches nothing else.
check_wine_root_unmounted() {
  local mounts
  vantrel_64bit_route || { echo "skipped: the 32-bit route has no Wine root"; return 77; }
  mounts=$(vantrel_mounts_below "$VANTREL_WINE_ROOT")
  [ -z "$mounts" ] || { echo "still mounted below $VANTREL_WINE_ROOT:" $mounts; return 1; }
}
