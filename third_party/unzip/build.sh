#!/usr/bin/env bash
# Fetches Debian's unzip source package and cross-builds unzip.exe for Win32.
# Usage: build.sh OUTDIR [ARCH]   (writes OUTDIR/unzip.exe; does nothing if
# present). ARCH is i686 (the default) or x86_64.
# The sources are fetched into OUTDIR/src and never committed.
set -euo pipefail

out=$(mkdir -p "$1" && cd "$1" && pwd)
arch=${2:-i686}
cpu=$arch
cc=$arch-w64-mingw32-gcc
# The 64-bit <windows.h> pulls in compiler intrinsics whose parameter names
# (__G) UnZip defines as a macro: read it before UnZip's own headers.
[ "$arch" = x86_64 ] && cpu=x86-64 && cc="$cc -include windows.h"
[ -f "$out/unzip.exe" ] && exit 0

src="$out/src"
if [ ! -d "$src/unzip-6.0" ]; then
  rm -rf "$src" && mkdir -p "$src"
  (cd "$src" && apt-get source -qq unzip/bookworm >/dev/null 2>&1) ||
    (cd "$src" && apt-get source -qq unzip >/dev/null)
fi
cd "$src"/unzip-6.0

# unzpriv.h defines CR as 13; winnt.h has a bit-field named CR.
for f in win32/win32.c win32/nt.c; do
  grep -q 'undef CR /\* windows.h' "$f" && continue
  sed -i 's|^#include <windows.h>.*|#undef CR /* windows.h has a field of that name */\n&\n#define CR 13|' "$f"
done

make -s -f win32/Makefile.gcc clean >/dev/null 2>&1 || true
make -s -f win32/Makefile.gcc unzip.exe \
  CC="$cc" AR=$arch-w64-mingw32-ar RC=$arch-w64-mingw32-windres \
  NOASM=1 CC_CPU_OPT=-march=$cpu \
  CC_WARN_OPT="-w" LD_RELEASE_LIBS="-static -luser32 -ladvapi32" >/dev/null
cp unzip.exe "$out/unzip.exe.tmp"
mv "$out/unzip.exe.tmp" "$out/unzip.exe"
echo "unzip.exe: $(stat -c %s "$out/unzip.exe") bytes"
