#!/usr/bin/env bash
# Benchmarks the block codec (Google Benchmark, -O2, native) on a mixed
# corpus: the built unzip.exe plus Debian's licence texts. Prints lz4 -b1 on
# the same corpus for scale. Needs scripts/build.sh to have run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
out=build/bench
mkdir -p "$out"
exe=build/win/third_party/unzip/unzip.exe
[ -f "$exe" ] || { echo "bench: run scripts/build.sh first" >&2; exit 1; }
cat "$exe" /usr/share/common-licenses/* >"$out/corpus.bin" 2>/dev/null
g++ -std=c++20 -O2 -DNDEBUG -I. filestore/lzrw1kh.cpp bench/codec_bench.cpp \
  -lbenchmark -lpthread -o "$out/codec_bench"
"$out/codec_bench" "$out/corpus.bin" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
echo "--- lz4 -b1 on the same corpus, for scale"
lz4 -b1 "$out/corpus.bin" 2>&1 | tr '\r' '\n' | grep 'MB/s ,' | tail -n 1
