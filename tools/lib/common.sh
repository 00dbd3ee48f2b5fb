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
  wine wine32:i386 wine64 fonts-wine xvfb locales)

# The locales under which the tests run Wine with a double-byte ANSI code page (932, 936, 949).
VANTREL_LOCALES=(ja_JP zh_CN ko_KR)

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

# Configures and builds the 32-bit Windows tree (tests included unless told otherwise).
vantrel_build_windows() {
  local root build
  root=$(vantrel_root)
  build="$root/build/windows"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" "$@" >/dev/null
  cmake --build "$build"
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
