// Shell folders, system directories, the running-application probe.
#include "shell/shell_folders.hpp"

#include "shell/access_registry.hpp"

std::string DesktopDir, ProgramsDir, SendToDir, StartUpDir, QuickLaunchDir;
std::string ProgramFilesDir;
std::string CommonDesktopDir, CommonProgramsDir, CommonStartUpDir;
std::string WindowsDir;

namespace {

const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The all-users value, or the user's own when the value is missing or empty.
std::string ReadOr(TAccessRegistry& reg, const char* name, const std::string& fallback) {
  std::string v = reg.ReadString(name);
  return v.empty() ? fallback : v;
}

}  // namespace

void ReadShellFolders() {
  TAccessRegistry reg;
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE, kShellFolders, false)) {
    DesktopDir = reg.ReadString("Desktop");
    ProgramsDir = reg.ReadString("Programs");
    SendToDir = reg.ReadString("SendTo");
    StartUpDir = reg.ReadString("StartUp");
  }
  reg.CloseKey();
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups",
                            false))
    QuickLaunchDir = reg.ReadString("Quick Launch");
  reg.CloseKey();

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", false))
    ProgramFilesDir = reg.ReadString("ProgramFilesDir");
  else
    ProgramFilesDir = "can not open";
  reg.CloseKey();
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE, kShellFolders, false)) {
    CommonDesktopDir = ReadOr(reg, "Common Desktop", DesktopDir);
    CommonProgramsDir = ReadOr(reg, "Common Programs", ProgramsDir);
    CommonStartUpDir = ReadOr(reg, "Common StartUp", StartUpDir);
  }
}

void GetWindowsDir() {
  char buf[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  WindowsDir.assign(buf, n < MAX_PATH ? n : 0);
}

bool AppIsRunning(const std::string& name) {
  HANDLE h = CreateMutexA(nullptr, FALSE, name.c_str());
  if (!h) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) return true;  // the caller ends the program
  CloseHandle(h);
  return false;
}
