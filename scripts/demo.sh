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

out=build/demo
rm -rf "$out" && mkdir -p "$out/product"
# The product as a packager ships it: setup.exe, setup.ini, setup.dat and
# license.txt side by side (built into build/win/product).
cp build/win/product/setup.exe build/win/product/setup.ini build/win/product/setup.dat \
  build/win/product/license.txt "$out/product/"
# A fresh start: no earlier installation of the sample in the prefix.
scripts/wineenv.sh wine reg delete 'HKLM\Software\Quorvane\Quorvane Notes' /f >/dev/null 2>&1 || true
seconds=1
[ "${USE_DISPLAY:-0}" = 1 ] && seconds=5
set +e
scripts/wineenv.sh wine build/win/demo_driver.exe "$(scripts/wineenv.sh winepath -w "$out/product/setup.exe")" \
  "$(scripts/wineenv.sh winepath -w "$out")" "$seconds" | tr -d '\r' >"$out/summary.txt"
rc=${PIPESTATUS[0]}
set -e
for bmp in "$out"/*.bmp; do
  [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
cat "$out/summary.txt"
echo "screenshots and summary: $out/"
exit "$rc"
