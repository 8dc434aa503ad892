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
# The product as a packager ships it: setup.exe beside its script.
cp build/win/setup.exe samples/setup.ini samples/license.txt "$out/product/"
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
