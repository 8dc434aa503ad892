#!/usr/bin/env bash
# Runs a command in the project's Wine environment, or makes the prefix.
#   wineenv.sh init          make the prefix if it is missing
#   wineenv.sh CMD [ARGS]    run CMD with WINEPREFIX and friends set
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$top/build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine reads command lines and file names in the locale's character set: a
# UTF-8 one, or Unicode arguments reach the programs bent.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf8* | *UTF8* | *utf-8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
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
    # Letters the layout's fonts lack (Japanese, say) come from a font that
    # has them, as Windows links its fonts to fallbacks.
    for face in "MS Sans Serif" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Liberation Sans" \
      "Liberation Sans Bold"; do
      "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    wineserver -w
  fi
  exit 0
fi
[ "${1:-}" = wine ] && { shift; exec "$wine" "$@"; }
exec "$@"
