#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both trees, runs the
# native tests, the Windows tests under Wine (windows inside Xvfb) and short
# fuzzing runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/bootstrap.sh
scripts/build.sh
source scripts/xsession.sh
source scripts/wintree.sh

status=0
log=$(mktemp)
# Formatting is part of the tests: every source as the root .clang-format has it.
if ! git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror; then
  echo "test.sh: sources differ from .clang-format (run clang-format -i on them)"
  status=1
fi
scripts/check_wide.sh || status=1
ctest --test-dir build/host --output-on-failure | tee -a "$log" || status=1
ctest --test-dir "$win_tree" --output-on-failure | tee -a "$log" || status=1

# One closing line over both trees.
passed=0 failed=0
while read -r p f; do passed=$((passed + p)); failed=$((failed + f)); done < <(
  sed -nE 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2 \1/p' "$log" |
    awk '{print $1 - $2, $2}')
rm -f "$log"
echo "tests: $passed passed, $failed failed"
[ "$passed" -gt 0 ] || status=1
exit $status
