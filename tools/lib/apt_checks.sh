# The install's check in tools/test: with every package index unreachable (a copy of apt's
# configuration whose one source refuses connections), vantrel_apt_install fetches three times,
# tries the install twice and stops with a message saying what failed and what to try, and the
# machine's own apt configuration and indexes stay as they were. Source it after common.sh.

# Names, sizes and times of everything apt keeps: a change to any shows.
vantrel_apt_state() {
  find /etc/apt /var/lib/apt/lists -printf '%p %s %T@\n' 2>/dev/null | sort | sha256sum
}

# Prints what is wrong, one a line; nothing when all holds. Needs root, as an install does.
vantrel_apt_hiccup_problems() {
  local dir before status
  dir=$(mktemp -d) && chmod 755 "$dir" || return 1
  mkdir -p "$dir"/{parts,lists/partial,cache/archives/partial}
  echo 'deb http://127.0.0.1:9/debian stable main' >"$dir/sources.list"
  cat >"$dir/apt.conf" <<EOF
Dir::Etc::sourcelist "$dir/sources.list";
Dir::Etc::sourceparts "$dir/parts";
Dir::State::lists "$dir/lists";
Dir::Cache "$dir/cache";
Acquire::Retries "0";
EOF
  before=$(vantrel_apt_state)
  APT_CONFIG=$dir/apt.conf VANTREL_APT_PAUSE=0 vantrel_apt_install vantrel-no-such-package \
    >"$dir/out" 2>&1
  status=$?
  cat "$dir/out" >&2
  [ "$status" -ne 0 ] || echo "the install said it succeeded"
  grep -q 'indexes failed (try 3 of 3)' "$dir/out" || echo "the indexes were not fetched three times"
  grep -q "preferring .*'s versions" "$dir/out" || echo "the install was not tried once more"
  grep -q 'could not install: vantrel-no-such-package' "$dir/out" || echo "no closing message"
  [ "$(vantrel_apt_state)" = "$before" ] || echo "the machine's apt state changed"
  rm -rf "$dir"
}

vantrel_check_apt_hiccup() {
  local problems
  [ "$(id -u)" -eq 0 ] || { vantrel_log "not root: the install check is left out"; return 0; }
  problems=$(vantrel_apt_hiccup_problems)
  [ -z "$problems" ] && return 0
  echo "$problems" >&2
  return 1
}
