#!/usr/bin/env bash
# Benchmarks (Google Benchmark, -O2, native): the block codec on a mixed
# corpus (the built unzip.exe plus Debian's licence texts), with lz4 -b1 on
# the same corpus for scale; then the GIF decoder against giflib on large
# images ImageMagick makes. Needs scripts/build.sh to have run.
# 'bench.sh install' times an unattended installation instead (bench_install.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
out=build/bench
mkdir -p "$out"
if [ "${1:-}" = install ]; then exec scripts/bench_install.sh; fi
exe=build/win/third_party/unzip/unzip.exe
[ -f "$exe" ] || { echo "bench: run scripts/build.sh first" >&2; exit 1; }
cat "$exe" /usr/share/common-licenses/* >"$out/corpus.bin" 2>/dev/null
g++ -std=c++20 -O2 -DNDEBUG -I. filestore/lzrw1kh.cpp bench/codec_bench.cpp \
  -lbenchmark -lpthread -o "$out/codec_bench"
"$out/codec_bench" "$out/corpus.bin" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
echo "--- lz4 -b1 on the same corpus, for scale"
lz4 -b1 "$out/corpus.bin" 2>&1 | tr '\r' '\n' | grep 'MB/s ,' | tail -n 1

echo "--- GIF decoder against giflib (DGifSlurp), same files, same run"
[ -f "$out/photo.gif" ] || convert -size 1920x1080 -seed 11 plasma:fractal -colors 256 "$out/photo.gif"
[ -f "$out/flat.gif" ] || convert -size 1600x1200 gradient:navy-orange -colors 64 "$out/flat.gif"
[ -f "$out/interlaced.gif" ] || convert -size 1024x768 -seed 12 plasma:fractal -colors 128 -interlace GIF "$out/interlaced.gif"
[ -f "$out/frames.gif" ] || convert -delay 10 -size 640x480 -seed 13 plasma:fractal plasma:fractal plasma:fractal -colors 200 "$out/frames.gif"
g++ -std=c++20 -O2 -DNDEBUG -I. widgets/gif_decoder.cpp bench/gif_bench.cpp \
  -lbenchmark -lgif -lpthread -o "$out/gif_bench"
"$out/gif_bench" "$out/photo.gif" "$out/flat.gif" "$out/interlaced.gif" "$out/frames.gif" \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
