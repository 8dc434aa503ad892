#!/usr/bin/env bash
# Runs a command in the project's Wine environment, or makes the prefix.
#   wineenv.sh init          make the prefix if it is missing
#   wineenv.sh CMD [ARGS]    run CMD with WINEPREFIX and friends set
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$top/build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono/Gecko prompts, no menu entries written into the Linux desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
# Where the kernel cannot start 32-bit programs, 'wine' must be the 64-bit
# loader (scripts/wintree.sh picks the 64-bit build to run there).
wine=wine
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi

if [ "${1:-}" = init ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    echo "wineenv: creating Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    # Wine draws the window frames itself, so captions show without a
    # window manager (Xvfb has none).
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
  fi
  exit 0
fi
[ "${1:-}" = wine ] && { shift; exec "$wine" "$@"; }
exec "$@"
