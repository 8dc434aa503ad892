// The restart with administrator rights.
#include "setup/elevated_restart.hpp"

#include <windows.h>

#include "engine/install_session.hpp"
#include "engine/registry_entries.hpp"
#include "setup/application.hpp"
#include "setup/setup_script.hpp"
#include "setup/start_up.hpp"
#include "setup/unattended.hpp"
#include "shell/elevation.hpp"
#include "shell/file_ops.hpp"
#include "widgets/window_text.hpp"

namespace {

// Whether the run writes what only administrators may: HKEY_LOCAL_MACHINE,
// everyone's folders. A run that will stop at once (a bad script or name,
// the application running, no setup.dat or an unaccepted licence unattended,
// no log to remove by) says so itself, without asking for rights first.
bool NeedsMachineRights(const TRunSwitches& sw, const std::string& commandLine) {
  std::string name;
  if (IsUninstallArgument(SplitCommandLine(commandLine), name))
    return CheckRemovalStart(name) == RemovalStart::Ready &&
           FileExists(ProgramDir() + "setup.log") &&
           InstalledScope(name, ProgramDir()) == InstallScope::Machine;
  const PackagePlace& package = Application::Package;
  if (sw.Unattended() && !UnattendedPackageProblem(package, sw.AcceptLicense).empty()) return false;
  TPrivateProfile source(package.script);
  TSetupRec rec;
  std::string why;
  return CheckInstallStart(package.script, source, rec, why) == InstallStart::Ready &&
         ScopeOf(rec, sw.CurrentUser, sw.AllUsers) == InstallScope::Machine;
}

// Ends the run before anything happened: a box, or the /LOG file (begun
// afresh, as every run begins it).
int Refuse(const TRunSwitches& sw, const std::string& text, int code) {
  if (sw.Unattended()) return RefuseUnattended(sw, text, code);
  ShowBox(nullptr, text, Application::Title, MB_OK);
  return code;
}

}  // namespace

bool RanElevatedCopy(const TRunSwitches& sw, const std::string& commandLine, int show,
                     int& exitCode) {
  // Cheap first: a run that may write everywhere asks nothing.
  const bool canWrite = CanWriteMachineEntries();
  // The copy itself never asks again.
  const bool lacks = !sw.Elevated && LacksAdminRights();
  if (!sw.Error.empty() || (canWrite && !lacks) || !NeedsMachineRights(sw, commandLine))
    return false;
  if (!lacks) {
    // Windows gave no more than this (a standard user without the prompt):
    // files without their entries would be an installation nothing removes.
    exitCode = Refuse(sw,
                      "Setup has no administrator rights, which a machine-wide installation "
                      "or removal needs; nothing was done. /CURRENTUSER installs for the "
                      "current user alone.",
                      kExitBadInput);
    return true;
  }
  const ElevatedRun run = RunElevated(ModulePath(), ElevatedArguments(commandLine), show);
  if (!run.started) {
    exitCode =
        run.error == ERROR_CANCELLED
            ? Refuse(sw, "Administrator rights were not granted; nothing was done.", kExitCancelled)
            : Refuse(sw,
                     "Setup could not restart with administrator rights (" +
                         SystemMessage(run.error) + "); nothing was done.",
                     kExitBadInput);
    return true;
  }
  exitCode = static_cast<int>(run.exitCode);
  if (sw.Unattended())
    AddToRunLog(sw.LogFile, "The run with administrator rights ended with exit code " +
                                std::to_string(exitCode) + ".");
  return true;
}
