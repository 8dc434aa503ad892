#!/usr/bin/env bash
# Fails when an ANSI ("A") Windows call or a CHAR-based Windows structure
# creeps back into the program's Windows code: text inside is UTF-8 and goes
# to the system through the wide calls only (shell/wide_text).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
calls='\b[A-Za-z_][A-Za-z0-9_]*[a-z0-9]A[[:space:]]*\('
types='\b(WIN32_FIND_DATAA|STARTUPINFOA|SHELLEXECUTEINFOA|WNDCLASSA|WNDCLASSEXA|LOGFONTA|CREATESTRUCTA|BROWSEINFOA|OPENFILENAMEA|TEXTMETRICA|NONCLIENTMETRICSA|LPCDLGTEMPLATEA|LPSTR|LPCSTR|LPTSTR|CHAR|TCHAR|PROGRESS_CLASSA|MAKEINTRESOURCEA|IShellLinkA|IID_IShellLinkA)\b'
if found=$(git grep --untracked -nE "$calls|$types" -- 'setup/*.cpp' 'setup/*.hpp' 'engine/*.cpp' 'engine/*.hpp' \
  'shell/*.cpp' 'shell/*.hpp' 'widgets/*.cpp' 'widgets/*.hpp' 'filestore/*.cpp' 'filestore/*.hpp'); then
  echo "check_wide.sh: ANSI Windows calls or types in the program (use the W ones):"
  echo "$found"
  exit 1
fi
echo "check_wide.sh: no ANSI Windows calls in the program"
