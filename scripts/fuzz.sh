#!/usr/bin/env bash
# Builds the libFuzzer targets (FUZZ_TARGETS to choose) with clang (ASan + UBSan) and runs each for
# FUZZ_SECONDS (default 300). A crash leaves its input in build/fuzz/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${FUZZ_SECONDS:-300}
out=${FUZZ_OUT:-build/fuzz}
mkdir -p "$out"
core=(filestore/lzrw1kh.cpp filestore/byte_stream.cpp filestore/compress_stream.cpp
  widgets/gif_decoder.cpp setup/ini_file.cpp engine/setup_rec.cpp engine/file_names.cpp
  engine/text_codes.cpp engine/carried_package.cpp engine/sha256.cpp)
flags=(-std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

# qpack check's package reading also needs the packager and minizip, which
# the native build makes from zlib's sources.
package=(packager/package_check.cpp packager/folder.cpp packager/report.cpp
  packager/zip_archive.cpp packager/install_names.cpp packager/safe_files.cpp
  engine/destination.cpp engine/unzip_command.cpp shell/link_rules.cpp)
minizip=build/host/third_party/minizip

targets=${FUZZ_TARGETS:-fuzz_block fuzz_record fuzz_gif fuzz_script fuzz_package fuzz_carried}
for target in $targets; do
  extra=()
  if [ "$target" = fuzz_package ]; then
    [ -f "$minizip/lib/libminizip.a" ] || third_party/minizip/build.sh "$minizip" native >/dev/null
    extra=("${package[@]}" -I"$minizip/include" "$minizip/lib/libminizip.a" -lz)
  fi
  if [ ! -x "$out/$target" ] || [ -n "$(find "${core[@]}" "${package[@]}" filestore/*.hpp widgets/*.hpp setup/*.hpp engine/*.hpp packager/*.hpp "tests/fuzz/$target.cpp" -newer "$out/$target")" ]; then
    clang++ "${flags[@]}" "${core[@]}" "tests/fuzz/$target.cpp" "${extra[@]}" -o "$out/$target"
  fi
  mkdir -p "$out/corpus-$target"
  # The GIF parser starts from the shared test images.
  if [ "$target" = fuzz_gif ] && [ -d "$top/../shared/testdata/gif" ] && [ -z "$(ls -A "$out/corpus-$target")" ]; then
    find "$top/../shared/testdata/gif" -name '*.gif' -size -64k -exec cp {} "$out/corpus-$target/" \;
  fi
  # The script reader starts from the sample's script.
  if [ "$target" = fuzz_script ] && [ -z "$(ls -A "$out/corpus-$target")" ]; then
    cp samples/product/setup.ini "$out/corpus-$target/"
  fi
  # check starts from a small package of the sample's script and two members.
  if [ "$target" = fuzz_package ] && [ -z "$(ls -A "$out/corpus-$target")" ]; then
    python3 - "$out/corpus-$target/sample" <<'PY'
import io, struct, sys, zipfile
script = open("samples/product/setup.ini", "rb").read()
z = io.BytesIO()
with zipfile.ZipFile(z, "w", zipfile.ZIP_DEFLATED) as f:
    f.writestr("Quorvane Notes.exe", b"MZ" * 100)
    f.writestr("Docs/readme.txt", b"read me\r\n" * 20)
open(sys.argv[1], "wb").write(struct.pack("<H", len(script)) + script + z.getvalue())
PY
  fi
  # The single-file reader starts from a small program with a package.
  if [ "$target" = fuzz_carried ] && [ -z "$(ls -A "$out/corpus-$target")" ]; then
    python3 - "$out/corpus-$target/single" <<'PY'
import hashlib, struct, sys
# MZ header, PE32 headers with 16 data directories, one section of 0x200
# bytes at 0x200; then three parts and the trailer.
opt = struct.pack("<H", 0x10B) + bytes(94) + struct.pack("<I", 16) + bytes(16 * 8)
head = b"MZ" + bytes(0x3A) + struct.pack("<I", 0x40) + b"PE\0\0"
head += struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, len(opt), 0x102) + opt
head += b".text\0\0\0" + struct.pack("<IIIIIIHHI", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0)
image = head.ljust(0x400, b"\0")
parts, at, body = [], len(image), b""
for data in (b"[MAIN]\r\nAppName=A\r\n", b"PK\5\6" + bytes(18), b"terms"):
    parts.append(struct.pack("<QQ", at, len(data)) + hashlib.sha256(data).digest())
    at += len(data)
    body += data
pad = bytes((8 - (at + 208) % 8) % 8)
trailer = (b"QVSETUP\0" + struct.pack("<IIQ", 1, 208, len(image)) + hashlib.sha256(image).digest()
           + b"".join(parts) + b"QVPKGEND")
open(sys.argv[1], "wb").write(image + body + pad + trailer)
PY
  fi
  echo "fuzz: $target for ${seconds}s"
  (cd "$out" && "./$target" -max_total_time="$seconds" -print_final_stats=1 \
      -max_len=70000 "corpus-$target" 2>"$target.log") || {
    tail -n 40 "$out/$target.log"
    echo "fuzz: $target FAILED"
    exit 1
  }
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$out/$target.log" | sed "s/^/fuzz: $target /"
done
echo "fuzz: no findings"
