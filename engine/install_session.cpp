// The checks and steps that the wizard and unattended runs share.
#include "engine/install_session.hpp"

#include "engine/registry_entries.hpp"
#include "shell/file_ops.hpp"
#include "shell/shell_folders.hpp"

InstallStart CheckInstallStart(const std::string& script, TProfileSource& source, TSetupRec& rec,
                               std::string& why) {
  if (!FileExists(script)) return InstallStart::ScriptMissing;
  LoadSetupRec(rec, source);
  // The name becomes registry keys that a later removal deletes whole.
  why = ScriptError(rec);
  if (!why.empty()) return InstallStart::BadScript;
  return AppIsRunning(rec.AppName) ? InstallStart::AppRunning : InstallStart::Ready;
}

std::string UnattendedPackageProblem(const PackagePlace& package, bool licenceAccepted) {
  if (!FileExists(package.archive.path)) return "Package error: setup.dat is missing.";
  if (FileExists(package.licence) && !licenceAccepted)
    return "The package has a licence (license.txt); /ACCEPTLICENSE accepts it.";
  return "";
}

RemovalStart CheckRemovalStart(const std::string& appName) {
  if (!IsValidAppName(appName)) return RemovalStart::InvalidName;
  return AppIsRunning(appName) ? RemovalStart::AppRunning : RemovalStart::Ready;
}

TInstallOptions PackageOptions(const PackagePlace& package, const TShellFolders& folders,
                               InstallScope scope) {
  TInstallOptions options;
  options.ProgramPath = package.program;
  options.ProgramSize = package.programSize;
  options.Archive = package.archive;
  options.Folders = folders;
  options.Scope = scope;
  return options;
}

TRemoval RemoveApplication(const std::string& appName, const std::string& dir,
                           const std::function<void(const char*)>& step) {
  step("Removing Registry Entries...");
  DeleteUninstallKeys(appName, InstalledScope(appName, dir));
  step("Deleting Files...");
  return RemoveInstallation(dir);
}
