#!/usr/bin/env bash
# Times setup.exe /S under Wine (warm wineserver) against an NSIS installer
# of the same files (LZMA, solid; made by makensis), median of 5, on three
# trees: 200 files of 9 MB, Debian's NSIS data folder (333 files), and
# 1,000 and 5,000 small files for the time per file; and each as a single
# file against its four-file form. Our packages are made by qpack init and
# build, as a packager makes them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
source scripts/wintree.sh
out=build/bench/install
rm -rf "$out" && mkdir -p "$out"
source scripts/xsession.sh
wine() { scripts/wineenv.sh wine "$@"; }
prefix_c=$(cd build/wine/drive_c && pwd)
win_out="$(wine winepath -w "$out" | tr -d '\r')"
arch=$([ "$win_tree" = build/win64 ] && echo amd64 || true)

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
seconds() {  # one run of "$@"
  local s e
  s=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  e=$(date +%s.%N)
  echo "$e - $s" | bc
}
once() {  # TARGET_DIR EXE [ARGS]: one timed install into a cleared directory
  local dir=$1
  shift
  rm -rf "${prefix_c:?}/Bench/$dir"
  seconds wine "$@"
}

bench() {  # NAME KIND RUNS: ours and NSIS in turn, so that both meet the same load
  local name=$1 kind=$2 n=$3
  python3 scripts/bench_install.py "$out" "$name" "$kind" $arch
  build/host/qpack init "$out/$name" --name "$name" >/dev/null 2>&1
  build/host/qpack build "$out/$name" -o "$out/$name-package" --setup "$win_tree/setup.exe" >/dev/null
  build/host/qpack build "$out/$name" -o "$out/$name-single" --single \
    --setup "$win_tree/setup.exe" >/dev/null
  local nsis=0 files ours=() ref=() single=()
  (cd "$out" && makensis -V1 "$name.nsi" >/dev/null) && nsis=1
  files=$(find "$out/$name" -type f ! -name setup.ini | wc -l)
  for _ in $(seq "$n"); do
    ours+=("$(once "$name" "$win_out\\$name-package\\setup.exe" /S /NOLAUNCH "/D=C:\\Bench\\$name")")
    single+=("$(once "$name-single" "$win_out\\$name-single\\$name-setup.exe" /S /NOLAUNCH \
      "/D=C:\\Bench\\$name-single")")
    [ $nsis = 1 ] && ref+=("$(once "$name-nsis" "$win_out\\$name-nsis.exe" /S)")
  done
  local got o r s
  got=$(find "$prefix_c/Bench/$name" -type f | wc -l)
  o=$(printf '%s\n' "${ours[@]}" | median)
  printf '%-6s %5d files  ours /S: %6.2f s (%d installed)' "$name" "$files" "$o" "$got"
  if [ $nsis = 1 ]; then
    r=$(printf '%s\n' "${ref[@]}" | median)
    printf '  NSIS /S: %6.2f s  ratio %s' "$r" "$(echo "scale=2; $o / $r" | bc)"
  fi
  printf '  (%s ms per file)\n' "$(echo "scale=2; $o * 1000 / $files" | bc)"
  s=$(printf '%s\n' "${single[@]}" | median)
  printf '%-6s single file /S: %6.2f s  ratio to the four files %s\n' "$name" "$s" \
    "$(echo "scale=2; $s / $o" | bc)"
}

echo "median of 5 runs each, $win_tree under Wine"
bench b200 200 5
bench nsis nsis 5
bench f1000 1000 3
bench f5000 5000 3
