#!/usr/bin/env bash
# Builds the trees: build/host (portable core, host tools, native tests,
# with sanitizers), build/win (setup.exe for 32-bit Windows and the Windows
# tests) and, where this machine cannot run 32-bit programs, build/win64 (the
# same for 64-bit Windows, which the tests then run; build/win then builds
# only the shipped program).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
source scripts/wintree.sh
jobs=${JOBS:-2}

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON >/dev/null
cmake --build build/host -j"$jobs"
windows_tree() {  # DIR ARCH [TARGETS...]
  local dir=$1 arch=$2
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" -DHOST_TOOLS_DIR="$top/build/host" >/dev/null
  cmake --build "$dir" -j"$jobs" ${1:+--target "$@"}
}
if [ "$win_tree" = build/win ]; then
  windows_tree build/win i686
else
  windows_tree build/win i686 setup sample_product qpack
  windows_tree build/win64 x86_64
fi
