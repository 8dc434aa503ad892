#!/usr/bin/env bash
# The main job: builds everything and runs setup.exe under Wine, in a real
# window when USE_DISPLAY=1 and a display is present, in Xvfb otherwise.
# Leaves screenshots and a summary in build/demo/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/bootstrap.sh
scripts/build.sh >/dev/null
source scripts/xsession.sh
source scripts/wintree.sh

out=build/demo
rm -rf "$out" && mkdir -p "$out/product"
# The product as a packager ships it: one file, alone in its folder as in a
# download folder (built into build/win/product-single; the 64-bit build's
# where this machine cannot run 32-bit programs).
single="Quorvane Notes-setup.exe"
cp "$win_tree/product-single/$single" "$out/product/"
# The package as the packager's tool sees it (it also made it: samples/).
build/host/qpack check "$out/product" >"$out/check.txt" || true
# A fresh start: no earlier installation of the sample in the prefix.
scripts/wineenv.sh wine reg delete 'HKLM\Software\Quorvane\Quorvane Notes' /f >/dev/null 2>&1 || true
seconds=1
[ "${USE_DISPLAY:-0}" = 1 ] && seconds=5
set +e
winpath() { scripts/wineenv.sh wine winepath -w "$1" | tr -d '\r'; }
scripts/wineenv.sh wine "$win_tree"/demo_driver.exe "$(winpath "$out/product/$single")" \
  "$(winpath "$out")" "$seconds" | tr -d '\r' >"$out/summary.txt"
rc=${PIPESTATUS[0]}
set -e
for bmp in "$out"/*.bmp; do
  [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
cat "$out/summary.txt"
echo "qpack check: $(tail -1 "$out/check.txt")"
echo "screenshots and summary: $out/"
exit "$rc"
