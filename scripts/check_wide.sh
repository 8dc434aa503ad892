#!/usr/bin/env bash
# Fails when an ANSI ("A") Windows call or a CHAR-based Windows structure
# creeps back into the program's Windows code: text inside is UTF-8 and goes
# to the system through the wide calls only (shell/wide_text).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
calls='\b[A-Za-z_][A-Za-z0-9_]*[a-z0-9]A[[:space:]]*\('
types='\b(WIN32_FIND_DATAA|STARTUPINFOA|SHELLEXECUTEINFOA|WNDCLASSA|WNDCLASSEXA|LOGFONTA|CREATESTRUCTA|BROWSEINFOA|OPENFILENAMEA|TEXTMETRICA|NONCLIENTMETRICSA|LPCDLGTEMPLATEA|SHFILEINFOA|MSGBOXPARAMSA|OSVERSIONINFOA|OSVERSIONINFOEXA|PROCESSENTRY32|MODULEENTRY32|BFFM_SETSELECTIONA|LPSTR|LPCSTR|LPTSTR|CHAR|TCHAR|PROGRESS_CLASSA|MAKEINTRESOURCEA|IShellLinkA|IID_IShellLinkA)\b'
# An A call looked up by name, a narrow entry point, or a file opened by a
# narrow path (the C library reads it in the ANSI code page).
others='GetProcAddress\([^)]*"[A-Za-z0-9_]*[a-z0-9]A"|\bint[[:space:]]+(main|WinMain)[[:space:]]*\(|\bfopen[[:space:]]*\(|std::(i|o)?fstream'
if found=$(git grep --untracked -nE "$calls|$types|$others" -- 'setup/*.cpp' 'setup/*.hpp' 'engine/*.cpp' 'engine/*.hpp' \
  'shell/*.cpp' 'shell/*.hpp' 'widgets/*.cpp' 'widgets/*.hpp' 'filestore/*.cpp' 'filestore/*.hpp'); then
  echo "check_wide.sh: ANSI Windows calls or types in the program (use the W ones):"
  echo "$found"
  exit 1
fi
# The packager is portable and reads files through the C++ library; its
# Windows parts make the same calls as the program.
if found=$(git grep --untracked -nE "$calls|$types" -- 'packager/*.cpp' 'packager/*.hpp' \
  'tools/*.cpp'); then
  echo "check_wide.sh: ANSI Windows calls or types in the packager (use the W ones):"
  echo "$found"
  exit 1
fi
echo "check_wide.sh: no ANSI Windows calls in the program"
