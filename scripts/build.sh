#!/usr/bin/env bash
# Builds both trees: build/host (portable core, host tools, native tests,
# with sanitizers) and build/win (setup.exe and the Windows tests).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${JOBS:-2}

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON >/dev/null
cmake --build build/host -j"$jobs"
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DHOST_TOOLS_DIR="$top/build/host" >/dev/null
cmake --build build/win -j"$jobs"
