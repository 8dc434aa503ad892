// Shell folders, system directories, the running-application probe.
#include "shell/shell_folders.hpp"

#include "shell/access_registry.hpp"
#include "shell/wide_text.hpp"

namespace {

const char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Reads the values of the current key and collects what could not be read;
// such a value counts as missing.
class FolderReader {
 public:
  explicit FolderReader(std::vector<std::string>& problems) : problems_(problems) {}
  TAccessRegistry reg;

  std::string Read(const char* name) {
    try {
      return reg.ReadString(name);
    } catch (const ERegistryException& e) {
      problems_.push_back(e.what());
      return "";
    }
  }
  // The all-users value, or the user's own when it is missing or empty.
  std::string ReadOr(const char* name, const std::string& fallback) {
    std::string v = Read(name);
    return v.empty() ? fallback : v;
  }

 private:
  std::vector<std::string>& problems_;
};

}  // namespace

std::vector<std::string> ReadShellFolders(TShellFolders& folders) {
  std::vector<std::string> problems;
  FolderReader r(problems);
  TAccessRegistry& reg = r.reg;
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE, kShellFolders, false)) {
    folders.DesktopDir = r.Read("Desktop");
    folders.ProgramsDir = r.Read("Programs");
    folders.SendToDir = r.Read("SendTo");
    folders.StartUpDir = r.Read("StartUp");
    folders.LocalAppDataDir = r.Read("Local AppData");
  }
  reg.CloseKey();
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups",
                            false))
    folders.QuickLaunchDir = r.Read("Quick Launch");
  reg.CloseKey();

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", false))
    folders.ProgramFilesDir = r.Read("ProgramFilesDir");
  else
    folders.ProgramFilesDir = "can not open";
  reg.CloseKey();
  if (reg.OpenKeyWithAccess(KEY_QUERY_VALUE, kShellFolders, false)) {
    folders.CommonDesktopDir = r.ReadOr("Common Desktop", folders.DesktopDir);
    folders.CommonProgramsDir = r.ReadOr("Common Programs", folders.ProgramsDir);
    folders.CommonStartUpDir = r.ReadOr("Common StartUp", folders.StartUpDir);
  }
  return problems;
}

std::string GetWindowsDir() {
  wchar_t buf[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return Narrow(std::wstring(buf, n < MAX_PATH ? n : 0));
}

bool AppIsRunning(const std::string& name) {
  // A mutex another account made may be closed to us: it exists all the same.
  HANDLE h = CreateMutexW(nullptr, FALSE, Wide(name).c_str());
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  if (GetLastError() == ERROR_ALREADY_EXISTS) return true;  // the caller ends the program
  CloseHandle(h);
  // An install run as another account (a deployment system's) lives in
  // another session: the application may hold its mutex for all of them.
  HANDLE global = OpenMutexW(SYNCHRONIZE, FALSE, Wide("Global\\" + name).c_str());
  if (global) {
    CloseHandle(global);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}
