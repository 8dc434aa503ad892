#!/usr/bin/env bash
# Times setup.exe /S on a 200-file, 9 MB package under Wine (warm wineserver),
# median of 5, against a reference installer of the same files made with
# NSIS (LZMA, solid) when this machine can run it; then the interactive
# pacing for comparison (one unzip run and a 0.5 s pause per file).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
source scripts/wintree.sh
out=build/bench/install
rm -rf "$out" && mkdir -p "$out"
python3 scripts/bench_install.py "$out" $([ "$win_tree" = build/win64 ] && echo amd64)
cp "$win_tree/setup.exe" "$out/setup.exe"
source scripts/xsession.sh
wine() { scripts/wineenv.sh wine "$@"; }
prefix_c=$(cd build/wine/drive_c && pwd)

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timed() {  # prints seconds of one run of "$@"
  local s e
  s=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  e=$(date +%s.%N)
  echo "$e - $s" | bc
}
win_out="$(wine winepath -w "$out" | tr -d '\r')"
runs=()
five() {  # TARGET_DIR EXE [ARGS]: five timed installs into a cleared directory
  local dir=$1
  shift
  runs=()
  for i in 1 2 3 4 5; do
    rm -rf "$prefix_c/Bench/$dir"
    runs+=("$(timed wine "$win_out\\$1" "${@:2}")")
  done
}
five Ours setup.exe /S /NOLAUNCH
ours=$(printf '%s\n' "${runs[@]}" | median)
files=$(find "$prefix_c/Bench/Ours" -type f | wc -l)
echo "ours (setup.exe /S): median ${ours} s of 5 (${runs[*]}); files installed: $files"

if command -v makensis >/dev/null && (cd "$out" && makensis -V1 reference.nsi); then
  if [ "$win_tree" = build/win64 ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
    five Reference reference.exe /S
    ref=$(printf '%s\n' "${runs[@]}" | median)
    echo "reference (NSIS, LZMA solid): median ${ref} s of 5 (${runs[*]})"
    echo "ratio ours/reference: $(echo "scale=2; $ours / $ref" | bc)"
  else
    echo "reference: built, but NSIS installers are 32-bit programs, which this kernel cannot start"
  fi
fi
