// The command line: splitting it into arguments and choosing the run mode.
// Portable.
#pragma once

#include <string>
#include <vector>

// Splits a command line as Windows programs do by convention: blanks
// separate arguments except inside double quotes, which are dropped.
// Element 0 is the program.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Uninstall mode when the first argument starts with exactly "/u:"; name
// receives the rest of it (possibly empty). Install mode otherwise.
bool IsUninstallArgument(const std::vector<std::string>& args, std::string& name);

// The switches of unattended runs (any order, any letter case; "/D=" comes
// last and takes the rest of the line, blanks included, unquoted).
struct TRunSwitches {
  bool Silent = false;    // /S: no window, no message box
  bool Progress = false;  // /SP: a small progress window, no questions
  std::string Path;       // /D=path
  bool HasFolder = false;
  std::string Folder;  // /FOLDER=name
  bool AllUsers = false;
  bool CurrentUser = false;   // /CURRENTUSER: HKCU and the user's folders
  bool HasShortcuts = false;  // /SHORTCUTS=list; otherwise the script's presets
  bool StartUp = false, Desktop = false, SendTo = false, QuickLaunch = false;
  // Unattended runs start the application only with /LAUNCH: under a
  // deployment system it would run as that system's account, elevated, and
  // hold its files against the next upgrade. /NOLAUNCH, the earlier way to
  // say so, is still taken, and wins.
  bool Launch = false, NoLaunch = false;
  bool AcceptLicense = false;
  std::string LogFile;    // /LOG=file
  bool Elevated = false;  // this run is the copy restarted with administrator rights
  std::string Error;      // set when the command line is wrong

  bool Unattended() const { return Silent || Progress; }
};

// Reads the switches after the program and an uninstall argument. Arguments
// that do not start with "/" are left alone, as is "/U:" (install mode).
TRunSwitches ParseSwitches(const std::string& commandLine);

// "/?" or "--help" as the only argument asks for the usage text.
bool IsHelpRequest(const std::string& commandLine);
// The switches and exit codes, from the table the parser reads.
std::string UsageText();

// The arguments for the copy of this run restarted with administrator
// rights: the same ones after the program, with /ELEVATED after the
// uninstall argument (which must stay first) and before /D= (which must
// stay last).
std::string ElevatedArguments(const std::string& commandLine);
