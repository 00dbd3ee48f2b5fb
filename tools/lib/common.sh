# Shared by tools/test, tools/demo and tools/bench: packages, build trees, a display and Wine.
# Source it; it defines functions and sets nothing else but the checkout's root, taken while
# the path it was sourced by is still valid.

VANTREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
vantrel_root() { printf '%s\n' "$VANTREL_ROOT"; }

vantrel_log() { printf '%s\n' "== $*" >&2; }

# Installs the Debian packages that are missing (as root, or through sudo).
vantrel_ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root to install: ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  vantrel_log "installing ${missing[*]}"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

VANTREL_PACKAGES=(cmake ninja-build g++ googletest g++-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev clang-19 lld-19 llvm-19 libclang-rt-19-dev wine
  wine32:i386 wine64 fonts-wine xvfb locales debootstrap python3 osslsigncode openssl)

# The locales under which the tests run Wine with a multi-byte ANSI code page (932, 936, 949,
# 950, and UTF-8 65001 for Hindi, which has no ANSI code page of its own). Where Wine runs in a
# root of its own, the same locales are made there too.
VANTREL_LOCALES=(ja_JP zh_CN ko_KR zh_TW hi_IN)

# Generates those locales where missing (as root, or through sudo).
vantrel_ensure_locales() {
  local have language sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  have=$(locale -a 2>/dev/null)
  for language in "${VANTREL_LOCALES[@]}"; do
    grep -qix "$language.utf-\?8" <<<"$have" && continue
    vantrel_log "generating locale $language.UTF-8"
    "${sudo[@]}" localedef -i "$language" -c -f UTF-8 "$language.UTF-8" || return 1
  done
}

# Whether this machine can execute 32-bit x86 code at all. Some virtual machines run 64-bit user
# code only (the kernel's IA-32 emulation is off: `dmesg | grep -i ia32`); there no 32-bit
# program starts, Debian 12's 32-bit Wine included, and neither does a 32-bit Windows program
# under any Wine.
vantrel_runs_32bit_code() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# The build tree whose Windows programs Wine runs on this machine: the 32-bit tree of the
# product, or, where 32-bit code cannot run, the same sources and tests built as 64-bit programs.
vantrel_wine_tree() {
  if vantrel_runs_32bit_code; then echo windows; else echo windows64; fi
}

# Builds that tree (build/windows64 with cmake/mingw-w64-x86_64.cmake where needed).
vantrel_build_wine_tree() {
  local root
  root=$(vantrel_root)
  [ "$(vantrel_wine_tree)" = windows ] && { vantrel_build_windows "$@"; return; }
  vantrel_build_windows -B "$root/build/windows64" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "$@"
}

# Where 32-bit code cannot run, Wine comes from Debian unstable, whose Wine 10 runs 64-bit
# Windows programs without any 32-bit Linux code; it lives in a root of its own, so this
# machine's Debian stays as it is. Made once (a few minutes), then reused.
VANTREL_WINE_ROOT=${VANTREL_WINE_ROOT:-/opt/vantrel-wine}

vantrel_ensure_wine_root() {
  local root=$VANTREL_WINE_ROOT language sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  if [ ! -f "$root/.vantrel-ready" ]; then
    vantrel_log "making a Debian unstable root with Wine 10 in $root (once, a few minutes)"
    if [ ! -x "$root/usr/bin/apt-get" ]; then
      "${sudo[@]}" debootstrap --variant=minbase sid "$root" http://deb.debian.org/debian \
        >/dev/null || return 1
    fi
    "${sudo[@]}" cp /etc/resolv.conf "$root/etc/resolv.conf"
    # The mirror may serve a Release file past its Valid-Until date; it is still signed.
    "${sudo[@]}" chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive sh -c '
      apt-get -o Acquire::Check-Valid-Until=false update -qq &&
      apt-get install -y -qq --no-install-recommends wine64 libwine fonts-wine locales' \
      >/dev/null || return 1
    "${sudo[@]}" touch "$root/.vantrel-ready"
  fi
  for language in "${VANTREL_LOCALES[@]}"; do
    "${sudo[@]}" chroot "$root" locale -a 2>/dev/null | grep -qix "$language.utf-\?8" && continue
    "${sudo[@]}" chroot "$root" localedef -i "$language" -c -f UTF-8 "$language.UTF-8" || return 1
  done
}

# Makes the root see what Wine needs of this machine: processes, devices, /tmp (the X display's
# socket, Wine's server) and the checkout at its own path. Never unmounted: the root is kept.
vantrel_mount_wine_root() {
  local root=$VANTREL_WINE_ROOT repo
  repo=$(vantrel_root)
  (
    flock 8
    mountpoint -q "$root/proc" || mount -t proc proc "$root/proc" || exit 1
    mountpoint -q "$root/sys" || mount --rbind /sys "$root/sys" || exit 1
    mountpoint -q "$root/dev" || mount --rbind /dev "$root/dev" || exit 1
    mountpoint -q "$root/tmp" || mount --bind /tmp "$root/tmp" || exit 1
    if [ "$(stat -c %d:%i "$repo")" != "$(stat -c %d:%i "$root$repo" 2>/dev/null)" ]; then
      mkdir -p "$root$repo" && mount --bind "$repo" "$root$repo" || exit 1
    fi
  ) 8>"$root/.mount.lock"
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

# Builds vantrel.exe again, clean, in another directory, and compares it with the one of
# build/windows: the same sources must give the same bytes.
vantrel_check_same_bytes() {
  local root again
  root=$(vantrel_root)
  again="$root/build/windows-again"
  rm -rf "$again"
  vantrel_build_windows -B "$again" -DVANTREL_TESTS=OFF >/dev/null || return 1
  (cd "$root/build" && sha256sum windows/bin/vantrel.exe windows-again/bin/vantrel.exe) >&2
  cmp -s "$root/build/windows/bin/vantrel.exe" "$again/bin/vantrel.exe"
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
