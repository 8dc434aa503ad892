#!/usr/bin/env bash
# The start-up stress: N starts of setup.exe (default 2,000; STRESS_FIRST=K
# numbers them from K) in batches of five, each batch in a fresh Wine session
# (wineserver -k first), every other batch with the second core kept busy.
# Needs scripts/build.sh to have run. Leaves every start's line, the counts
# and the backtraces of any hang in build/stress/ (STRESS_OUT=DIR writes
# elsewhere, so two runs can share the machine; SETUP_EXE=... tries another
# build of the program). It has a Wine prefix of its own, so the tests can run
# beside it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
source scripts/wintree.sh
n=${1:-2000}
# Where the numbering (and the batches' random seeds) starts: a second run
# beside the first takes other pauses.
first=${STRESS_FIRST:-1}
out=${STRESS_OUT:-build/stress}
rm -rf "$out/work" "$out"/*.txt && mkdir -p "$out" && out=$(cd "$out" && pwd)
# A Wine prefix of its own: killing its sessions leaves the tests' alone.
export WINEPREFIX="$out/wine"
# Wine's own errors (a desktop that did not start, say) go with the batch.
export WINEDEBUG=fixme-all
scripts/wineenv.sh init
exe=$out/setup.exe
cp "${SETUP_EXE:-$win_tree/setup.exe}" "$exe"
source scripts/xsession.sh
wine() { scripts/wineenv.sh wine "$@"; }
winpath() { wine winepath -w "$1" | tr -d '\r'; }
work=$(winpath "$out/work")
busy=""
stop_busy() { [ -n "$busy" ] && kill "$busy" 2>/dev/null; busy=""; }
trap 'stop_busy; _xs_end' EXIT
for ((b = 0; b * 5 < n; b++)); do
  scripts/wineenv.sh wineserver -k 2>/dev/null || true
  scripts/wineenv.sh wineserver -w 2>/dev/null || true
  if ((b % 2)); then
    (while :; do :; done) &
    busy=$!
  fi
  count=$((n - b * 5 < 5 ? n - b * 5 : 5))
  # What Wine says on the side goes with its batch, for starts that fail.
  from=$((first + b * 5))
  wine "$win_tree/start_stress.exe" "$(winpath "$exe")" "$work" "$count" "$from" "$from" \
    2>"$out/batch.err" | tr -d '\r' | grep '^start [0-9]' |
    sed "s/\$/$([ -n "$busy" ] && echo ' [busy core]')/" | tee -a "$out/starts.txt" |
    grep -v 'window after' >/dev/null && {
      echo "== starts $from to $((from + count - 1)), $(date +%T)"
      grep -v '^fixme' "$out/batch.err" | sort | uniq -c | head -40
    } >>"$out/wine-errors.txt"
  rm -f "$out/batch.err"
  stop_busy
done
cp "$out"/work/backtrace-*.txt "$out"/ 2>/dev/null || true
total=$(grep -c '^start [0-9]' "$out/starts.txt" || true)
hangs=$(grep -c 'no window after' "$out/starts.txt" || true)
ended=$(grep -c 'ended with code' "$out/starts.txt" || true)
lingering=$(grep -c 'still running 15 s' "$out/starts.txt" || true)
echo "starts: $total, hangs: $hangs, ended without a window: $ended, not ending: $lingering" |
  tee "$out/summary.txt"
[ $((hangs + ended + lingering)) -eq 0 ]
