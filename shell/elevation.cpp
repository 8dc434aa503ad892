// Administrator rights and the restart that asks for them.
#include "shell/elevation.hpp"

#include <windows.h>
#include <shellapi.h>

#include "shell/owned.hpp"
#include "shell/wide_text.hpp"

namespace {

OwnedHandle ProcessToken(HANDLE process, DWORD access) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, access, &token)) return OwnedHandle();
  return OwnedHandle(token);
}

// True when the token says it is elevated; false otherwise or when it
// cannot tell (Windows XP has no such thing).
bool IsElevated(HANDLE token, bool& known) {
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0;
  return known && elevation.TokenIsElevated != 0;
}

bool EndsWithExe(const std::string& path) {
  return path.size() >= 4 && lstrcmpiW(Wide(path.substr(path.size() - 4)).c_str(), L".exe") == 0;
}

// The desktop shell's token, as a primary token to start a program with;
// empty when there is no shell (a service session, Wine without a desktop).
OwnedHandle ShellToken() {
  HWND shell = GetShellWindow();
  DWORD pid = 0;
  if (!shell || !GetWindowThreadProcessId(shell, &pid) || !pid) return OwnedHandle();
  OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return OwnedHandle();
  OwnedHandle token = ProcessToken(process.Get(), TOKEN_DUPLICATE);
  HANDLE primary = nullptr;
  if (!token || !DuplicateTokenEx(token.Get(),
                                  TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE |
                                      TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID,
                                  nullptr, SecurityImpersonation, TokenPrimary, &primary))
    return OwnedHandle();
  return OwnedHandle(primary);
}

}  // namespace

bool LacksAdminRights() {
  OwnedHandle token = ProcessToken(GetCurrentProcess(), TOKEN_QUERY);
  if (!token) return false;
  bool known = false;
  const bool elevated = IsElevated(token.Get(), known);
  return known && !elevated;
}

ElevatedRun RunElevated(const std::string& program, const std::string& arguments, int show) {
  const std::wstring file = Wide(program), params = Wide(arguments);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = params.c_str();
  // An elevated copy would start in the system folder: relative /D= and
  // /LOG= paths must mean there what they mean here.
  wchar_t current[MAX_PATH * 2] = {};
  const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, current);
  if (length > 0 && length < MAX_PATH * 2) info.lpDirectory = current;
  info.nShow = show;
  ElevatedRun run;
  if (!ShellExecuteExW(&info) || !info.hProcess) {
    run.error = GetLastError();
    if (run.error == 0) run.error = ERROR_ACCESS_DENIED;
    return run;
  }
  OwnedHandle process(info.hProcess);
  run.started = true;
  // The copy is the whole run: an install takes as long as it takes.
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  run.exitCode = code;
  return run;
}

bool StartAsSignedInUser(const std::string& program, const std::string& folder) {
  OwnedHandle own = ProcessToken(GetCurrentProcess(), TOKEN_QUERY);
  bool known = false;
  if (own && IsElevated(own.Get(), known) && EndsWithExe(program)) {
    if (OwnedHandle shell = ShellToken()) {
      std::wstring command = L"\"" + Wide(program) + L"\"";
      const std::wstring dir = Wide(folder);
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION started{};
      if (CreateProcessWithTokenW(shell.Get(), 0, nullptr, command.data(), 0, nullptr, dir.c_str(),
                                  &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return true;
      }
    }
  }
  const auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"Open", Wide(program).c_str(),
                                                         nullptr, Wide(folder).c_str(), SW_SHOW));
  return r >= 32;
}
