# Sourced: which Windows build the tests and the demo run under Wine.
# build/win is the shipped 32-bit program. Some kernels cannot start 32-bit
# programs at all (32-bit Wine fails with "Exec format error"); there the
# same sources are also built for 64-bit Windows in build/win64 and run
# under 64-bit Wine.
if /usr/lib/wine/wine --version >/dev/null 2>&1 || [ ! -x /usr/lib/wine/wine64 ]; then
  win_tree=build/win
else
  win_tree=build/win64
fi
