#!/usr/bin/env bash
# Fetches Debian's zlib source package and cross-builds zlib's minizip
# (contrib/minizip: ioapi.c, zip.c, unzip.c) into a static library for
# MinGW; zlib itself comes from libz-mingw-w64-dev.
# Usage: build.sh OUTDIR [ARCH]   (writes OUTDIR/lib/libminizip.a and
# OUTDIR/include/minizip/*.h; does nothing if present). ARCH is i686 (the
# default) or x86_64. The sources are fetched into OUTDIR/src and never
# committed.
set -euo pipefail

out=$(mkdir -p "$1" && cd "$1" && pwd)
arch=${2:-i686}
[ -f "$out/lib/libminizip.a" ] && exit 0

src="$out/src"
if ! compgen -G "$src/zlib-*/contrib/minizip/zip.c" >/dev/null; then
  rm -rf "$src" && mkdir -p "$src"
  (cd "$src" && apt-get source -qq zlib/bookworm >/dev/null 2>&1) ||
    (cd "$src" && apt-get source -qq zlib >/dev/null)
fi
mz=$(dirname "$(compgen -G "$src/zlib-*/contrib/minizip/zip.c" | head -1)")

mkdir -p "$out/obj" "$out/lib" "$out/include/minizip"
# No encryption: setup.dat is never encrypted, and it keeps rand() out.
for f in ioapi zip unzip; do
  "$arch-w64-mingw32-gcc" -O2 -w -DNOCRYPT -DNOUNCRYPT -c "$mz/$f.c" -o "$out/obj/$f.o"
done
cp "$mz"/ioapi.h "$mz"/zip.h "$mz"/unzip.h "$out/include/minizip/"
rm -f "$out/lib/minizip.tmp.a"
"$arch-w64-mingw32-ar" rcs "$out/lib/minizip.tmp.a" "$out"/obj/{ioapi,zip,unzip}.o
mv "$out/lib/minizip.tmp.a" "$out/lib/libminizip.a"
echo "libminizip.a: $(stat -c %s "$out/lib/libminizip.a") bytes"
