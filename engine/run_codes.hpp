// The switches and exit codes of unattended runs, written once: the command
// line parser, qpack's manifests and the README's tables follow these rows
// (a test holds the README to them). Portable.
#pragma once

#include <cstddef>
#include <string_view>

// The exit codes of unattended runs.
enum UnattendedExit : int {
  kExitDone = 0,
  kExitBadInput = 1,     // command line, script or package
  kExitCancelled = 2,    // Cancel in the progress window
  kExitRunning = 3,      // the application is running
  kExitNoSpace = 4,      // not enough disk space
  kExitFileFailed = 5,   // a file could not be installed or removed
  kExitPathTooLong = 6,  // the unzip tool's command line would be too long
  kExitRestart = 7,      // installed; a restart replaces a file in use
};

struct ExitCodeRow {
  UnattendedExit code;
  const char* meaning;  // as the README's table says it
  // What a package manager should tell its user ("installerReturnCodes");
  // empty for success, which needs no entry.
  const char* managerResponse;
};

inline constexpr ExitCodeRow kExitCodes[] = {
    {kExitDone, "installed or removed", ""},
    {kExitBadInput,
     "bad command line, script or package (unknown switch, no `setup.ini`, no or bad `AppName`, "
     "no `setup.dat`, licence not accepted)",
     "invalidParameter"},
    {kExitCancelled,
     "cancelled (Cancel or the close box of the `/SP` window, or administrator rights refused)",
     "cancelledByUser"},
    {kExitRunning, "the application is running", "packageInUse"},
    {kExitNoSpace, "not enough disk space", "diskFull"},
    // Mostly a file held open by a running program.
    {kExitFileFailed,
     "a file could not be installed or removed (the installation is incomplete but "
     "uninstallable)",
     "fileInUse"},
    // A shorter location fixes it.
    {kExitPathTooLong,
     "a path too long: an installed file's beyond 259 characters (the log names it), or the "
     "unzip tool's command line on the paced road",
     "invalidParameter"},
    {kExitRestart,
     "installed; a restart completes it (a file in use is replaced when Windows restarts)",
     "rebootRequiredToFinish"},
};

// Every switch the parser takes.
enum class Switch {
  Silent,
  Progress,
  Path,
  Folder,
  AllUsers,
  CurrentUser,
  Shortcuts,
  Launch,
  NoLaunch,
  AcceptLicense,
  Log,
  Elevated,
};

struct SwitchRow {
  Switch id;
  std::string_view name;  // as written, in capitals, without "=" ("/D")
  bool takesValue;        // written "/NAME=value"
  const char* shown;      // as the README's table shows it ("/D=path")
  const char* meaning;
};

inline constexpr SwitchRow kSwitches[] = {
    {Switch::Silent, "/S", false, "/S", "install or remove with no window and no message box"},
    {Switch::Progress, "/SP", false, "/SP",
     "the same with a small progress window (file, bar, Cancel) that asks nothing"},
    {Switch::Path, "/D", true, "/D=path",
     "installation path (unquoted, may hold blanks); default: the earlier installation's, else "
     "the script's"},
    {Switch::Folder, "/FOLDER", true, "/FOLDER=name", "program folder"},
    {Switch::AllUsers, "/ALLUSERS", false, "/ALLUSERS",
     "shortcuts for all users (otherwise the user's own folders); machine-wide also for a "
     "script of `Scope=user`"},
    {Switch::CurrentUser, "/CURRENTUSER", false, "/CURRENTUSER",
     "install for the current user alone, without administrator rights (registry entries under "
     "HKEY_CURRENT_USER, default path `%LOCALAPPDATA%\\Programs\\<AppName>`, the user's own "
     "shortcuts); excludes `/ALLUSERS`"},
    {Switch::Shortcuts, "/SHORTCUTS", true, "/SHORTCUTS=list",
     "any of `startup,desktop,sendto,quicklaunch`, or `none`; default: the script's presets"},
    {Switch::Launch, "/LAUNCH", false, "/LAUNCH",
     "start the application at the end (unattended runs start nothing without it)"},
    {Switch::NoLaunch, "/NOLAUNCH", false, "/NOLAUNCH",
     "start nothing at the end (the default; still taken, and wins over `/LAUNCH`)"},
    {Switch::AcceptLicense, "/ACCEPTLICENSE", false, "/ACCEPTLICENSE",
     "needed when the package has `license.txt`"},
    {Switch::Log, "/LOG", true, "/LOG=file",
     "a progress log of the run, one line per step, in UTF-8 (no byte order mark)"},
    {Switch::Elevated, "/ELEVATED", false, "/ELEVATED",
     "given by setup itself to the copy it restarts with administrator rights: that copy never "
     "restarts again"},
};

// The row of a switch name in capitals, or nullptr.
inline const SwitchRow* FindSwitch(std::string_view upperName) {
  for (const SwitchRow& row : kSwitches)
    if (row.name == upperName) return &row;
  return nullptr;
}
