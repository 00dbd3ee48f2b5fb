# Shared by the tools: packages, the route the Windows tests take, and the Wine root of the
# 64-bit route. Source it; it defines functions and sets nothing else but the checkout's root.

VANTREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
vantrel_root() { printf '%s\n' "$VANTREL_ROOT"; }

vantrel_log() { printf '%s\n' "== $*" >&2; }

# Runs a command as root: directly when this is root, else through sudo.
vantrel_sudo() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Installs the Debian packages that are missing (as root, or through sudo).
vantrel_ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  vantrel_log "installing ${missing[*]}"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    vantrel_sudo dpkg --add-architecture i386
  fi
  vantrel_apt_install "${missing[@]}"
}

vantrel_apt_get() {
  vantrel_sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -qq --no-install-recommends \
    -o Acquire::Retries="${VANTREL_APT_RETRIES:-3}" "$@"
}

# Installs packages; apt retries each download itself. A mirror caught mid-sync can serve a
# security index older than the packages already installed from it, and then an architecture
# added later (i386 for Wine) cannot be matched: the install is tried once more preferring the
# release's own versions, for that command only. APT_CONFIG, apt's own variable, is honoured.
vantrel_apt_install() {
  local release
  vantrel_apt_get update || vantrel_log "fetching the package indexes failed; going on with the old"
  vantrel_apt_get install "$@" >/dev/null && return 0
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  vantrel_log "the install failed; once more, preferring $release's versions to its updates"
  vantrel_apt_get -o APT::Default-Release="$release" install "$@" >/dev/null && return 0
  # "Mirror sync in progress?" or "File has unexpected size" from apt: the mirror is serving an
  # index older than its packages.
  vantrel_log "could not install: $* (see apt-get's messages above; where it says the mirror" \
    "is being synced, wait an hour and run the same command again)"
  return 1
}

# What every tool needs, then what the route of the Windows tests needs: Debian's Wine for the
# 32-bit programs, or what makes and enters the root of the 64-bit route.
VANTREL_PACKAGES=(cmake ninja-build g++ googletest g++-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev clang-19 lld-19 llvm-19 libclang-rt-19-dev xvfb
  python3 osslsigncode openssl ccache)
vantrel_route_packages() {
  if vantrel_64bit_route; then echo mmdebstrap bubblewrap; else echo wine wine32:i386 wine64 \
    fonts-wine locales; fi
}
# The workflows' linter runs on node: Debian's, where no npm is installed.
vantrel_node_packages() { command -v npm >/dev/null || echo nodejs npm; }

# The locales under which the tests run Wine with a multi-byte ANSI code page (932, 936, 949,
# 950, and UTF-8 65001 for Hindi, which has no ANSI code page of its own).
VANTREL_LOCALES=(ja_JP zh_CN ko_KR zh_TW hi_IN)

# Generates those locales where missing (as root, or through sudo); in the Wine root given
# a command that runs there as root.
vantrel_ensure_locales() {
  local language
  for language in "${VANTREL_LOCALES[@]}"; do
    "$@" locale -a | grep -qix "$language.utf-\?8" && continue
    vantrel_log "generating locale $language.UTF-8"
    "${@:-vantrel_sudo}" localedef -i "$language" -c -f UTF-8 "$language.UTF-8" || return 1
  done
}

# Whether this machine can execute 32-bit x86 code at all. Some virtual machines run 64-bit user
# code only (the kernel's IA-32 emulation is off: `dmesg | grep -i ia32`); there no 32-bit
# program starts, Debian 12's 32-bit Wine included, and neither does a 32-bit Windows program
# under any Wine.
vantrel_runs_32bit_code() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# Whether the Windows tests take the 64-bit route: where 32-bit code cannot run, or anywhere
# when VANTREL_64BIT_WINE=1 asks for it (to try that route on a machine that runs 32-bit code).
vantrel_64bit_route() { [ "${VANTREL_64BIT_WINE:-0}" = 1 ] || ! vantrel_runs_32bit_code; }

# Why a check that needs 32-bit programs to run does not run on the 64-bit route.
vantrel_64bit_reason() {
  if vantrel_runs_32bit_code; then echo "VANTREL_64BIT_WINE=1 asks for the 64-bit route"
  else echo "this machine runs no 32-bit code"; fi
}

# The build tree whose Windows programs Wine runs: the 32-bit tree of the product, or on the
# 64-bit route the same sources and tests built as 64-bit programs.
vantrel_wine_tree() { if vantrel_64bit_route; then echo windows64; else echo windows; fi; }

# Whether a Windows program is a 32-bit x86 one (its PE header's machine is 0x14c).
vantrel_is_32bit_program() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1") &&
    [ "$(od -An -tx1 -j$((header + 4)) -N2 "$1" | tr -d ' ')" = 4c01 ]
}

# On the 64-bit route Wine is Debian 13's Wine 10, which runs 64-bit Windows programs without
# any 32-bit Linux code, in a root of its own (about 1 GB), so this machine's Debian stays as it
# is: made once, then reused. Nothing is ever mounted there outside a command's own mount
# namespace, so `rm -rf --one-file-system` on the root removes it and nothing else.
VANTREL_WINE_ROOT=${VANTREL_WINE_ROOT:-/opt/vantrel-wine}
VANTREL_WINE_SUITE=trixie

vantrel_wine_root_ready() {
  [ "$(cat "$VANTREL_WINE_ROOT/.vantrel-ready" 2>/dev/null)" = "$VANTREL_WINE_SUITE" ]
}

# The mount points below a directory.
vantrel_mounts_below() {
  awk -v below="$1/" 'index($5, below) == 1 { print $5 }' /proc/self/mountinfo
}

# What a command run in the root sees, in a mount namespace of its own that ends with the command
# (and the Wine server it may leave behind): the root, processes, devices, /sys, /tmp (the X
# display's socket, Wine's server) and the checkout at its own path. The working directory goes
# along where the root sees it. Sets the array `binds` for bwrap.
vantrel_wine_root_binds() {
  local repo here=/
  repo=$(vantrel_root)
  case $PWD/ in "$repo"/* | /tmp/*) here=$PWD ;; esac
  binds=(--bind "$VANTREL_WINE_ROOT" / --proc /proc --dev /dev --ro-bind /sys /sys
    --bind /tmp /tmp --bind "$repo" "$repo" --chdir "$here")
}

# Runs a command in the root as its administrator.
vantrel_admin_in_wine_root() {
  local binds
  vantrel_wine_root_binds
  vantrel_sudo bwrap "${binds[@]}" --cap-add ALL "$@"
}

# Makes the root with mmdebstrap (in a mount namespace of its own), with
# Wine and the test locales; the ready mark is written last, so a root whose making stopped
# half-way is made again, never used.
vantrel_make_wine_root() {
  local root=$VANTREL_WINE_ROOT mirror release
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk -v release="$release" '$2 == release { print $1; exit }')
  [ -n "$mirror" ] || { echo "no Debian mirror in this machine's apt sources" >&2; return 1; }
  vantrel_log "making a Debian 13 root with Wine 10 in $root (once, a few minutes)"
  vantrel_sudo find "$root" -mindepth 1 -maxdepth 1 ! -name .vantrel-lock \
    -exec rm -rf --one-file-system {} + || return 1
  # The root holds the lock already, and mmdebstrap writes only into an empty folder: it writes
  # a tar stream instead.
  vantrel_sudo unshare --mount --propagation private mmdebstrap --quiet --variant=apt \
    --include=wine64,libwine,fonts-wine,locales "$VANTREL_WINE_SUITE" - "$mirror" |
    vantrel_sudo tar -C "$root" -x || return 1
  vantrel_ensure_locales vantrel_admin_in_wine_root || return 1
  echo "$VANTREL_WINE_SUITE" | vantrel_sudo tee "$root/.vantrel-ready" >/dev/null
}

# Makes the root once: under a lock, so test programs that CTest starts side by side on a fresh
# machine wait for one of them to make it.
vantrel_ensure_wine_root() {
  vantrel_wine_root_ready && return 0
  vantrel_sudo mkdir -p "$VANTREL_WINE_ROOT" || return 1
  (
    flock 8 || exit 1
    vantrel_wine_root_ready || vantrel_make_wine_root
  ) 8>>"$VANTREL_WINE_ROOT/.vantrel-lock"
}

# Runs a Windows program under Wine with the project's settings (tools/wine).
vantrel_wine() { "$(vantrel_root)/tools/wine" "$@"; }
