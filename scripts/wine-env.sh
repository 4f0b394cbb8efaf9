# Sourced by the scripts that run Windows programs under Wine
# (scripts/loadpe.sh, tests/loader/windows/run-under-wine.sh).

# The Wine loader for win32 or win64 programs, when installed. Debian's
# /usr/bin/wine picks the 32-bit loader whenever wine32 is installed, even
# where the kernel cannot run it, so each loader is named directly.
wine_loader() {
  local candidate
  case $1 in
    win64) for candidate in /usr/lib/wine/wine64 "$(command -v wine64)"; do
             [ -n "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return 0; }
           done ;;
    win32) [ -x /usr/lib/wine/wine ] && { echo /usr/lib/wine/wine; return 0; } ;;
  esac
  return 1
}

# Says why programs of that architecture (win32 or win64) cannot run here
# and succeeds; fails, saying nothing, when they can.
wine_missing() {
  local loader
  if ! loader=$(wine_loader "$1"); then
    case $1 in
      win64) echo "no 64-bit Wine installed (Debian packages wine and wine64)" ;;
      win32) echo "no 32-bit Wine installed (wine32:i386: scripts/install-deps.sh windows32)" ;;
    esac
    return 0
  fi
  if ! "$loader" --version >/dev/null 2>&1; then
    case $1 in
      win64) echo "64-bit Wine cannot start: $loader --version fails" ;;
      win32) echo "32-bit Wine cannot start: this kernel runs no 32-bit programs (ia32 emulation off?)" ;;
    esac
    return 0
  fi
  return 1
}

# The environment for running programs of that architecture in the Wine
# prefix given (made on first use; a prefix serves one architecture only).
# WINE names the loader to run them with.
wine_setup() {
  WINE=$(wine_loader "$1")
  export WINELOADER=$WINE WINEARCH=$1 WINEPREFIX=$2
  # Quiet, no display, and no prompts to fetch the .NET or HTML engines.
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  mkdir -p "$(dirname "$WINEPREFIX")"
}
