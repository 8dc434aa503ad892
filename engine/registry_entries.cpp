// Registry entries of an installation.
#include "engine/registry_entries.hpp"

#include "shell/access_registry.hpp"

namespace {

constexpr DWORD kAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;  // 6
const char kAppPaths[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const char kUninstall[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class KeyWriter {
 public:
  explicit KeyWriter(TInstallLog& log) : log_(log) {
    reg_.Access = kAccess;
    reg_.SetRootKey(HKEY_LOCAL_MACHINE);
  }

  bool OpenRegKey(const std::string& key) {
    if (reg_.OpenKey(key, true) || reg_.OpenKeyWithAccess(kAccess, key, true)) return true;
    log_.Add(">Error - Can not open key: " + key);
    return false;
  }

  // Writes one value and then its summary line: key \ AppName-part = data.
  void Write(const std::string& name, const std::string& data, const std::string& summary) {
    log_.Add("Current Registry Path: " + reg_.CurrentPath());
    try {
      reg_.WriteString(name, data);
    } catch (const ERegistryException&) {
      log_.Add(">Error - Can not write: " + name);
    }
    log_.Add(reg_.CurrentPath() + "\\" + summary);
  }

  void Close() { reg_.CloseKey(); }

 private:
  TInstallLog& log_;
  TAccessRegistry reg_;
};

}  // namespace

std::string UninstallCommand(const std::string& instPath, const std::string& appName) {
  const std::string arg = "/u:" + appName;
  const bool blank = appName.find(' ') != std::string::npos;
  return "\"" + instPath + "\\setup.exe\" " + (blank ? "\"" + arg + "\"" : arg);
}

bool CreateKeys(TProgress& progress, TInstallLog& log, const std::string& appName,
                const std::string& instPath) {
  progress.Status("Creating Keys...");
  log.Add("Creating Keys...");
  KeyWriter w(log);
  if (w.OpenRegKey("\\Software\\Quorvane\\" + appName)) {
    w.Write("Path", instPath, appName + "\\Path=" + instPath);
    w.Close();
  }
  const std::string exe = instPath + "\\" + appName + ".exe";
  if (w.OpenRegKey(kAppPaths + appName + ".exe")) {
    w.Write("", exe, appName + ".exe=" + exe);
    w.Close();
  }
  if (w.OpenRegKey(kUninstall + appName)) {
    w.Write("DisplayName", appName, appName + "\\DisplayName=" + appName);
    const std::string command = UninstallCommand(instPath, appName);
    w.Write("UninstallString", command, appName + "\\UninstallString=" + command);
    w.Close();
  }
  return true;
}

void DeleteUninstallKeys(const std::string& name) {
  TAccessRegistry reg;
  reg.Access = kAccess;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  reg.DeleteKey(kAppPaths + name + ".exe");
  reg.DeleteKey(kUninstall + name);
}
