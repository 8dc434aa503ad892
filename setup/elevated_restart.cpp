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
// the application running) says so itself, without asking for rights first.
bool NeedsMachineRights(const TRunSwitches& sw, const std::string& commandLine) {
  std::string name;
  if (IsUninstallArgument(SplitCommandLine(commandLine), name))
    return CheckRemovalStart(name) == RemovalStart::Ready &&
           InstalledScope(name, ProgramDir()) == InstallScope::Machine;
  const std::string& script = Application::Package.script;
  TPrivateProfile source(script);
  TSetupRec rec;
  std::string why;
  return CheckInstallStart(script, source, rec, why) == InstallStart::Ready &&
         ScopeOf(rec, sw.CurrentUser, sw.AllUsers) == InstallScope::Machine;
}

int Refuse(const TRunSwitches& sw, const std::string& text, int code) {
  if (sw.Unattended()) {
    AddToRunLog(sw.LogFile, text);
  } else {
    ShowBox(nullptr, text, Application::Title, MB_OK);
  }
  return code;
}

}  // namespace

bool RanElevatedCopy(const TRunSwitches& sw, const std::string& commandLine, int show,
                     int& exitCode) {
  // The copy itself never asks again: where Windows grants no more than it
  // had, it does what it can with what it has.
  if (sw.Elevated || !sw.Error.empty() || !LacksAdminRights() ||
      !NeedsMachineRights(sw, commandLine))
    return false;
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
