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
  widgets/gif_decoder.cpp setup/ini_file.cpp engine/setup_rec.cpp engine/file_names.cpp)
flags=(-std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

targets=${FUZZ_TARGETS:-fuzz_block fuzz_record fuzz_gif fuzz_script}
for target in $targets; do
  if [ ! -x "$out/$target" ] || [ -n "$(find "${core[@]}" filestore/*.hpp widgets/*.hpp setup/*.hpp engine/*.hpp "tests/fuzz/$target.cpp" -newer "$out/$target")" ]; then
    clang++ "${flags[@]}" "${core[@]}" "tests/fuzz/$target.cpp" -o "$out/$target"
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
