# Shared by tools/test, tools/demo and tools/bench: packages, build trees, a display and Wine.
# Source it; it defines functions and sets nothing else.

vantrel_root() { cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd; }

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
  wine wine32:i386 wine64 fonts-wine xvfb)

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

# A private 32-bit Wine prefix inside the build tree, created on first use.
vantrel_use_wine_prefix() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    vantrel_log "creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # Wine draws with the fonts of the prefix's Fonts folder ("Courier", "MS Sans Serif", and
  # Marlett for the caption buttons); Debian keeps them in fonts-wine, outside the prefix.
  if [ -d /usr/share/wine/fonts ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  # With no window manager on the virtual display, Wine waits 2 s for one whenever it hides a
  # top-level window that it left to the manager. Unmanaged windows are hidden at once.
  if ! grep -qx '"Managed"="N"' "$WINEPREFIX/user.reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
  fi
}

# Stops what the two functions above started.
vantrel_stop_display_and_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  [ -n "${VANTREL_XVFB_PID:-}" ] && kill "$VANTREL_XVFB_PID" 2>/dev/null && wait "$VANTREL_XVFB_PID" 2>/dev/null
  return 0
}
