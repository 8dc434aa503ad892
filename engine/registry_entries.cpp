// Registry entries of an installation.
#include "engine/registry_entries.hpp"

#include <algorithm>
#include <cstdio>

#include "engine/file_names.hpp"
#include "engine/setup_rec.hpp"
#include "engine/text_codes.hpp"
#include "shell/access_registry.hpp"
#include "shell/file_ops.hpp"
#include "shell/wide_text.hpp"

namespace {

constexpr DWORD kAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;  // 6
const char kMaker[] = "\\Software\\Quorvane\\";
const char kAppPaths[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const char kUninstall[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

HKEY Root(InstallScope scope) {
  return scope == InstallScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class KeyWriter {
 public:
  KeyWriter(TInstallLog& log, InstallScope scope) : log_(log) {
    reg_.Access = kAccess;
    reg_.SetRootKey(Root(scope));
  }

  bool OpenRegKey(const std::string& key) {
    if (reg_.OpenKey(key, true) || reg_.OpenKeyWithAccess(kAccess, key, true)) return true;
    log_.Add(">Error - Can not open key: " + key);
    return false;
  }

  // Writes one value and then its summary line: key \ AppName-part = data.
  void Write(const std::string& name, const std::string& data, const std::string& summary) {
    Logged(name, summary, [&] { reg_.WriteString(name, data); });
  }
  void Write(const std::string& name, DWORD data, const std::string& summary) {
    Logged(name, summary, [&] { reg_.WriteInteger(name, data); });
  }

  void Close() { reg_.CloseKey(); }
  // A value the earlier installation wrote and this one has none for.
  void Drop(const std::string& name) { reg_.DeleteValue(name); }

 private:
  template <class F>
  void Logged(const std::string& name, const std::string& summary, F write) {
    log_.Add("Current Registry Path: " + reg_.CurrentPath());
    try {
      write();
    } catch (const ERegistryException&) {
      log_.Add(">Error - Can not write: " + name);
    }
    log_.Add(reg_.CurrentPath() + "\\" + summary);
  }

  TInstallLog& log_;
  TAccessRegistry reg_;
};

std::string LocalDate() {  // YYYYMMDD
  SYSTEMTIME t;
  GetLocalTime(&t);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", int{t.wYear}, int{t.wMonth}, int{t.wDay});
  return buf;
}

// The values beyond DisplayName and UninstallString that tools read.
void WriteDetails(KeyWriter& w, const TAppEntry& e, const std::string& command) {
  const std::string app = e.AppName + "\\";
  const auto text = [&](const char* name, const std::string& data) {
    if (data.empty())
      w.Drop(name);
    else
      w.Write(name, data, app + name + "=" + data);
  };
  const auto number = [&](const char* name, DWORD data) {
    w.Write(name, data, app + name + "=" + std::to_string(data));
  };
  text("QuietUninstallString", command + " /S");
  text("InstallLocation", e.InstPath);
  text("DisplayIcon", ProgramPath(e));
  text("DisplayVersion", e.Version);
  text("Publisher", e.Publisher);
  text("URLInfoAbout", e.URL);
  number("EstimatedSize", e.SizeKB);
  text("InstallDate", LocalDate());
  number("NoModify", 1);
  number("NoRepair", 1);
}

// A string value, or empty when the key or value is missing or not a string.
std::string ReadValue(InstallScope scope, const std::string& key, const std::string& name) {
  TAccessRegistry reg;
  reg.SetRootKey(Root(scope));
  if (!reg.OpenKeyWithAccess(KEY_QUERY_VALUE, key, false)) return "";
  try {
    return reg.ReadString(name);
  } catch (const ERegistryException&) {
    return "";
  }
}

// As the file system compares names: "Łódź" and "ŁÓDŹ" are one folder.
bool SamePath(const std::string& a, const std::string& b) { return FoldCase(a) == FoldCase(b); }

// The App Paths key named after program's file, when it still points at
// program: an installation removes or replaces only its own.
void DeleteOwnAppPath(InstallScope scope, const std::string& program) {
  const size_t sep = program.rfind('\\');
  if (sep == std::string::npos) return;
  const std::string key = kAppPaths + program.substr(sep + 1);
  if (!SamePath(ReadValue(scope, key, ""), program)) return;
  TAccessRegistry reg;
  reg.Access = kAccess;
  reg.SetRootKey(Root(scope));
  reg.DeleteKey(key);
}

}  // namespace

std::string ProgramPath(const TAppEntry& entry) {
  const std::string program = RelativePath(entry.Program);
  return program.empty() ? "" : entry.InstPath + "\\" + program;
}

std::string UninstallCommand(const std::string& instPath, const std::string& appName) {
  const std::string arg = "/u:" + appName;
  const bool blank = appName.find(' ') != std::string::npos;
  return "\"" + instPath + "\\setup.exe\" " + (blank ? "\"" + arg + "\"" : arg);
}

uint32_t InstalledSizeKB(const std::vector<std::string>& logLines, const std::string& also) {
  uint64_t bytes = also.empty() ? 0 : static_cast<uint64_t>(std::max<int64_t>(FileSize(also), 0));
  std::string path;
  for (const std::string& line : logLines) {
    if (TInstallLog::Classify(line, path) != TLogRecord::FileAndDir) continue;
    const int64_t size = FileSize(path);
    if (size > 0) bytes += static_cast<uint64_t>(size);
  }
  const uint64_t kb = (bytes + 1023) / 1024;
  return kb > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kb);
}

bool CreateKeys(TProgress& progress, TInstallLog& log, const TAppEntry& entry) {
  const std::string& appName = entry.AppName;
  const std::string& instPath = entry.InstPath;
  progress.Status("Creating Keys...");
  log.Add("Creating Keys...");
  // An earlier version's program of another name leaves no key behind.
  const std::string earlier = ReadValue(entry.Scope, kUninstall + appName, "DisplayIcon");
  if (!SamePath(earlier, ProgramPath(entry))) DeleteOwnAppPath(entry.Scope, earlier);
  KeyWriter w(log, entry.Scope);
  if (w.OpenRegKey(kMaker + appName)) {
    w.Write("Path", instPath, appName + "\\Path=" + instPath);
    w.Close();
  }
  // App Paths names the program by its file name, so that Run finds it.
  if (const std::string exe = ProgramPath(entry); !exe.empty()) {
    const std::string file = exe.substr(exe.rfind('\\') + 1);
    if (w.OpenRegKey(kAppPaths + file)) {
      w.Write("", exe, file + "=" + exe);
      w.Close();
    }
  }
  if (w.OpenRegKey(kUninstall + appName)) {
    w.Write("DisplayName", appName, appName + "\\DisplayName=" + appName);
    const std::string command = UninstallCommand(instPath, appName);
    w.Write("UninstallString", command, appName + "\\UninstallString=" + command);
    WriteDetails(w, entry, command);
    w.Close();
  }
  return true;
}

std::string ExistingInstallPath(const std::string& appName, InstallScope scope) {
  // A name such as "" would read the Uninstall key itself.
  if (!IsValidAppName(appName)) return "";
  // A removal deletes the Uninstall entry but keeps the maker's key: the
  // place of an installation that is gone is no default any more.
  TAccessRegistry reg;
  reg.SetRootKey(Root(scope));
  if (!reg.OpenKeyWithAccess(KEY_QUERY_VALUE, kUninstall + appName, false)) return "";
  const std::string location = ReadValue(scope, kUninstall + appName, "InstallLocation");
  return location.empty() ? ReadValue(scope, kMaker + appName, "Path") : location;
}

bool CanWriteMachineEntries() {
  HKEY key = nullptr;
  const std::wstring name = Wide(std::string(kUninstall).substr(1));
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, kAccess, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

InstallScope InstalledScope(const std::string& appName, const std::string& dir) {
  const std::string place = ExistingInstallPath(appName, InstallScope::User);
  return !place.empty() && SamePath(CanonicalPath(place), CanonicalPath(dir))
             ? InstallScope::User
             : InstallScope::Machine;
}

void DeleteUninstallKeys(const std::string& name, InstallScope scope) {
  const std::string key = kUninstall + name;
  const std::string icon = ReadValue(scope, key, "DisplayIcon");
  std::string place = ReadValue(scope, key, "InstallLocation");
  if (place.empty()) place = ReadValue(scope, kMaker + name, "Path");
  // The key named after the application goes when it points at this
  // installation's program (an installation that wrote no icon had it as
  // <path>\<name>.exe); another product's key of that name stays.
  const std::string named = kAppPaths + name + ".exe";
  const std::string value = ReadValue(scope, named, "");
  TAccessRegistry reg;
  reg.Access = kAccess;
  reg.SetRootKey(Root(scope));
  if (!value.empty() &&
      (SamePath(value, icon) || (!place.empty() && SamePath(value, place + "\\" + name + ".exe"))))
    reg.DeleteKey(named);
  DeleteOwnAppPath(scope, icon);
  reg.DeleteKey(key);
}
