#!/usr/bin/env bash
# Fetches Debian's zlib source package and builds zlib's minizip
# (contrib/minizip: ioapi.c, zip.c, unzip.c) into a static library, for
# MinGW (zlib itself from libz-mingw-w64-dev) or for this machine (zlib from
# zlib1g-dev). Both sides build the same source: Debian's separate libminizip
# misreads ZIP64 sizes (a member of 4 GiB reads as 0xFFFFFFFF bytes).
# Usage: build.sh OUTDIR [ARCH]   (writes OUTDIR/lib/libminizip.a and
# OUTDIR/include/minizip/*.h; does nothing if present). ARCH is i686 (the
# default), x86_64 or native. The sources are fetched into OUTDIR/src and
# never committed.
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
cc=$arch-w64-mingw32-gcc ar=$arch-w64-mingw32-ar
[ "$arch" = native ] && cc=gcc ar=ar
for f in ioapi zip unzip; do
  $cc -O2 -w -fPIC -DNOCRYPT -DNOUNCRYPT -c "$mz/$f.c" -o "$out/obj/$f.o"
done
cp "$mz"/ioapi.h "$mz"/zip.h "$mz"/unzip.h "$out/include/minizip/"
rm -f "$out/lib/minizip.tmp.a"
$ar rcs "$out/lib/minizip.tmp.a" "$out"/obj/{ioapi,zip,unzip}.o
mv "$out/lib/minizip.tmp.a" "$out/lib/libminizip.a"
echo "libminizip.a: $(stat -c %s "$out/lib/libminizip.a") bytes"
