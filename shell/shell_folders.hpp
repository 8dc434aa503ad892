// Where the shell folders, the program-files and the Windows directory are,
// and whether an application is running (its named mutex exists).
#pragma once

#include <string>
#include <vector>

// Where things go; empty when unknown.
struct TShellFolders {
  std::string DesktopDir, ProgramsDir, SendToDir, StartUpDir, QuickLaunchDir;
  std::string ProgramFilesDir;
  std::string LocalAppDataDir;  // the user's own programs go below it
  std::string CommonDesktopDir, CommonProgramsDir, CommonStartUpDir;
  std::string WindowsDir;
};

// Reads the folder variables from the registry; keys that do not open leave
// their variables alone, except ProgramFilesDir, which says "can not open".
// A value that is not text counts as missing; the errors for such values
// ("Invalid data type for '...'") come back for the caller to show.
std::vector<std::string> ReadShellFolders(TShellFolders& folders);
std::string GetWindowsDir();
// True when a mutex of that name already exists, in this session or (for
// an install run as another account) in the Global namespace; otherwise
// none is left.
bool AppIsRunning(const std::string& name);
