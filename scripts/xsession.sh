# Sourced: gives the caller a display (Xvfb unless USE_DISPLAY=1 and one is
# set) and a running wineserver; both are ended when the caller exits.
# Usage: source scripts/xsession.sh
_xs_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_xs_xvfb=""
if [ "${USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  _xs_fd=$(mktemp)
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$_xs_fd" 2>/dev/null &
  _xs_xvfb=$!
  for _ in $(seq 100); do [ -s "$_xs_fd" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$_xs_fd")"
  rm -f "$_xs_fd"
fi
"$_xs_top/scripts/wineenv.sh" wineserver -p 60
# Start Wine's own services now, detached from our output: started later by a
# test, they would inherit its pipe and keep ctest waiting for them.
"$_xs_top/scripts/wineenv.sh" wine cmd /c exit </dev/null >/dev/null 2>&1 || true
_xs_end() {
  "$_xs_top/scripts/wineenv.sh" wineserver -k 2>/dev/null || true
  [ -n "$_xs_xvfb" ] && kill "$_xs_xvfb" 2>/dev/null || true
}
trap _xs_end EXIT
