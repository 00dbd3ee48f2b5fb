# Shared by tools/test, tools/demo and tools/bench: packages, build trees, a display and Wine.
# Source it; it defines functions and sets nothing else but the checkout's root, taken while
# the path it was sourced by is still valid.

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

# apt-get, quiet and unattended.
vantrel_apt_get() {
  vantrel_sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -qq --no-install-recommends "$@"
}

# Installs packages, riding out a registry that is briefly out of step: the indexes are fetched
# up to three times, a pause apart (VANTREL_APT_PAUSE seconds). A mirror caught mid-sync can
# serve a security index older than the packages already installed from it, and then an
# architecture added later (i386 for Wine) cannot be matched; the install is then tried once
# more preferring the release's own versions, for that command only. Whatever still fails ends
# with what failed and what to try. APT_CONFIG, apt's own variable, is honoured throughout.
vantrel_apt_install() {
  local try pause=${VANTREL_APT_PAUSE:-20} release
  for try in 1 2 3; do
    vantrel_apt_get update --error-on=any && break
    vantrel_log "fetching the package indexes failed (try $try of 3)"
    [ "$try" -lt 3 ] && sleep "$pause"
  done
  vantrel_apt_get install "$@" >/dev/null && return 0
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  vantrel_log "the install failed; once more, preferring $release's versions to its updates"
  vantrel_apt_get -o APT::Default-Release="$release" install "$@" >/dev/null && return 0
  cat >&2 <<EOF
== could not install: $*
   apt-get could not fetch a package index or could not resolve the install (see its messages
   above). "Mirror sync in progress?" or "File has unexpected size" means the mirror is serving
   an index older than its packages: wait an hour and run the same command again. To see apt's
   own account: apt-get update && apt-get install $*
EOF
  return 1
}

# What every tool needs, then what the route of the Windows tests needs: Debian's Wine for the
# 32-bit programs, or what makes and enters the root of the 64-bit route.
VANTREL_PACKAGES=(cmake ninja-build g++ googletest g++-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev clang-19 lld-19 llvm-19 libclang-rt-19-dev xvfb
  python3 osslsigncode openssl)
vantrel_route_packages() {
  if vantrel_64bit_route; then
    echo debootstrap bubblewrap
  else
    echo wine wine32:i386 wine64 fonts-wine locales
  fi
}

# The locales under which the tests run Wine with a multi-byte ANSI code page (932, 936, 949,
# 950, and UTF-8 65001 for Hindi, which has no ANSI code page of its own). Where Wine runs in a
# root of its own, the same locales are made there too.
VANTREL_LOCALES=(ja_JP zh_CN ko_KR zh_TW hi_IN)

# Generates those locales where missing (as root, or through sudo).
vantrel_ensure_locales() {
  local have language
  have=$(locale -a 2>/dev/null)
  for language in "${VANTREL_LOCALES[@]}"; do
    grep -qix "$language.utf-\?8" <<<"$have" && continue
    vantrel_log "generating locale $language.UTF-8"
    vantrel_sudo localedef -i "$language" -c -f UTF-8 "$language.UTF-8" || return 1
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
  if vantrel_runs_32bit_code; then
    echo "VANTREL_64BIT_WINE=1 asks for the 64-bit route"
  else
    echo "this machine runs no 32-bit code"
  fi
}

# Notes a check that cannot run here, with the reason, for tools/test's count of skipped checks
# (in the file VANTREL_SKIPS names):  vantrel_skip WHAT WHY
vantrel_skip() {
  echo "skipped: $1 ($2)" >&2
  [ -n "${VANTREL_SKIPS:-}" ] && printf '%s (%s)\n' "$1" "$2" >>"$VANTREL_SKIPS"
  return 0
}

# The build tree whose Windows programs Wine runs: the 32-bit tree of the product, or on the
# 64-bit route the same sources and tests built as 64-bit programs.
vantrel_wine_tree() {
  if vantrel_64bit_route; then echo windows64; else echo windows; fi
}

# Builds that tree (build/windows64 with cmake/mingw-w64-x86_64.cmake where needed).
vantrel_build_wine_tree() {
  local root
  root=$(vantrel_root)
  [ "$(vantrel_wine_tree)" = windows ] && { vantrel_build_windows "$@"; return; }
  vantrel_build_windows -B "$root/build/windows64" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "$@"
}

# Where 32-bit code cannot run, or where VANTREL_64BIT_WINE=1 asks for that route, Wine is Debian
# 13's Wine 10, which runs 64-bit Windows programs without any 32-bit Linux code. It lives in a root
# of its own (about 1 GB), so this machine's Debian stays as it is: made once, then reused. Debian
# 13 is a stable release, so the paths tools/wine uses stay where they are. Nothing is ever
# mounted there outside a command's own mount namespace, so `rm -rf --one-file-system` on the
# root removes it and nothing else.
VANTREL_WINE_ROOT=${VANTREL_WINE_ROOT:-/opt/vantrel-wine}
VANTREL_WINE_SUITE=trixie

vantrel_wine_root_ready() {
  [ "$(cat "$VANTREL_WINE_ROOT/.vantrel-ready" 2>/dev/null)" = "$VANTREL_WINE_SUITE" ]
}

# The mount points below a directory, deepest first.
vantrel_mounts_below() {
  awk -v below="$1/" 'index($5, below) == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

# Empties the root but for its lock. Earlier versions of these tools left /proc, /sys, /dev, /tmp
# and the checkout bound into it, shared with the machine's own mounts: each is made private
# before it is unmounted, so the unmounting cannot spread to the machine's /dev or /tmp.
vantrel_clear_wine_root() {
  local root=$VANTREL_WINE_ROOT mount
  for mount in $(vantrel_mounts_below "$root"); do
    vantrel_sudo mount --make-rprivate "$mount" 2>/dev/null
    vantrel_sudo umount -R "$mount" 2>/dev/null
  done
  if [ -n "$(vantrel_mounts_below "$root")" ]; then
    echo "still mounted below $root; unmount these first:" $(vantrel_mounts_below "$root") >&2
    return 1
  fi
  vantrel_sudo find "$root" -mindepth 1 -maxdepth 1 ! -name .vantrel-lock \
    -exec rm -rf --one-file-system {} +
}

# The host's Debian mirror, as its own apt sources name it.
vantrel_debian_mirror() {
  local release
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk -v release="$release" '$2 == release { print $1; exit }'
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

# Runs a command in the root.
vantrel_in_wine_root() {
  local binds
  vantrel_wine_root_binds
  bwrap "${binds[@]}" "$@"
}

# Runs a command in the root as its administrator, to install in it.
vantrel_admin_in_wine_root() {
  local binds
  vantrel_wine_root_binds
  vantrel_sudo bwrap "${binds[@]}" --cap-add ALL /usr/bin/env DEBIAN_FRONTEND=noninteractive "$@"
}

# Debootstraps the root and installs Wine and the test locales in it; the ready mark is written
# last, so a root whose making stopped half-way is made again, never used.
vantrel_make_wine_root() {
  local root=$VANTREL_WINE_ROOT mirror
  mirror=$(vantrel_debian_mirror)
  [ -n "$mirror" ] || { echo "no Debian mirror in this machine's apt sources" >&2; return 1; }
  vantrel_log "making a Debian 13 root with Wine 10 in $root (once, a few minutes)"
  vantrel_clear_wine_root || return 1
  # debootstrap mounts /proc and /sys in the root while it works: in a namespace of its own.
  vantrel_sudo unshare --mount --propagation private debootstrap --variant=minbase \
    "$VANTREL_WINE_SUITE" "$root" "$mirror" >/dev/null || return 1
  vantrel_sudo cp /etc/resolv.conf "$root/etc/resolv.conf"
  vantrel_admin_in_wine_root sh -c '
      apt-get update -qq && apt-get install -y -qq --no-install-recommends \
        wine64 libwine fonts-wine locales >/dev/null && apt-get clean' || return 1
  local language
  for language in "${VANTREL_LOCALES[@]}"; do
    vantrel_admin_in_wine_root localedef -i "$language" -c -f UTF-8 "$language.UTF-8" || return 1
  done
  # Checked once here, so that no test start has to ask.
  local have
  have=$(vantrel_in_wine_root locale -a)
  for language in "${VANTREL_LOCALES[@]}"; do
    grep -qix "$language.utf-\?8" <<<"$have" ||
      { echo "locale $language.UTF-8 missing in $root" >&2; return 1; }
  done
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

# Configures and builds the 32-bit Windows tree (tests included unless told otherwise), or the
# tree named by a leading -B DIR.
vantrel_build_windows() {
  local root build
  root=$(vantrel_root)
  build="$root/build/windows"
  [ "${1:-}" = -B ] && build=$2 && shift 2
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" "$@" >/dev/null
  cmake --build "$build"
}

# Configures and builds vantrel.exe alone with Clang and LLD (cmake/clang-i686-mingw.cmake),
# any warning an error. The later toolchain setting takes the place of the GCC one.
vantrel_build_windows_clang() {
  local root
  root=$(vantrel_root)
  vantrel_build_windows -B "$root/build/windows-clang" -DVANTREL_TESTS=OFF \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-i686-mingw.cmake"
}

# Compiles the program's Windows sources as MSVC would take them (_MSC_VER, its inline
# assembler, its rules for imported functions), syntax only, with the same warnings as errors.
# There are no MSVC headers here: Clang reads MinGW-w64's and libstdc++'s, which need GNU mode
# beside MSVC mode, so __GNUC__ is defined too. The sources therefore ask for _MSC_VER before
# __GNUC__, and an #if on __GNUC__ that does not is refused here: it would hide MSVC's branch
# from this check. Uses the version header of the Clang tree.
vantrel_check_msvc_rules() {
  local root gcc unguarded
  root=$(vantrel_root)
  unguarded=$(grep -rnE --include='*.h' --include='*.cpp' '^\s*#\s*if.*__GNUC__' "$root/src" |
    grep -v _MSC_VER)
  if [ -n "$unguarded" ]; then
    printf '%s\n' "$unguarded" "these test __GNUC__ without asking for _MSC_VER first" >&2
    return 1
  fi
  gcc=$(dirname "$(i686-w64-mingw32-g++-posix -print-libgcc-file-name)")
  find "$root/src" -name '*.cpp' ! -name thread_state_host.cpp -print0 |
    xargs -0 -n 4 -P 2 clang++-19 --target=i686-pc-windows-msvc -fms-extensions \
      -fms-compatibility -fasm-blocks -fgnuc-version=12 -D__declspec=__declspec -D_X86_ -msse2 \
      -fsyntax-only -std=c++20 -fno-exceptions -fno-rtti -Werror -Wall -Wextra -Wconversion \
      -Wno-missing-field-initializers -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DSTRICT \
      -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 \
      -I"$root/src" -I"$root/build/windows-clang/src/generated" -isystem "$gcc/include/c++" \
      -isystem "$gcc/include/c++/i686-w64-mingw32" -isystem /usr/i686-w64-mingw32/include
}

# Builds vantrel.exe again, clean, in build/windows-again, for vantrel_check_same_bytes.
vantrel_build_again() {
  local again
  again="$(vantrel_root)/build/windows-again"
  rm -rf "$again"
  vantrel_build_windows -B "$again" -DVANTREL_TESTS=OFF >/dev/null
}

# The same sources must give the same bytes: vantrel.exe of build/windows and of the clean
# build in another directory are the same.
vantrel_check_same_bytes() {
  local build
  build="$(vantrel_root)/build"
  (cd "$build" && sha256sum windows/bin/vantrel.exe windows-again/bin/vantrel.exe) >&2 &&
    cmp -s "$build/windows/bin/vantrel.exe" "$build/windows-again/bin/vantrel.exe"
}

# Signs a Windows program with an Authenticode signature, SHA-256 digests:
#   vantrel_sign IN OUT FILE.pfx PASSWORD_FILE
# The signing time is SOURCE_DATE_EPOCH and no time-stamp server is asked (its answer would
# differ from one signing to the next), so one key gives the same bytes.
vantrel_sign() {
  osslsigncode sign -pkcs12 "$3" -readpass "$4" -h sha256 -n Vantrel -time "$SOURCE_DATE_EPOCH" \
    -in "$1" -out "$2" >/dev/null
}

# Starts Xvfb on a free display and exports DISPLAY. Wine must see a display before its
# server starts: a wineserver begun without one cannot create windows until it is stopped.
vantrel_start_virtual_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  VANTREL_XVFB_PID=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}

# Runs a Windows program under Wine with the project's settings (tools/wine).
vantrel_wine() { "$(vantrel_root)/tools/wine" "$@"; }

# Stops the virtual display and the Wine server of the project's prefix.
vantrel_stop_display_and_wine() {
  vantrel_wine --server -k >/dev/null 2>&1
  [ -n "${VANTREL_XVFB_PID:-}" ] && kill "$VANTREL_XVFB_PID" 2>/dev/null && wait "$VANTREL_XVFB_PID" 2>/dev/null
  return 0
}
