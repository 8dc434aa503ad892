// Where the shell folders, the program-files and the Windows directory are,
// and whether an application is running (its named mutex exists).
#pragma once

#include <string>
#include <vector>

// Process-wide; empty until ReadShellFolders or GetWindowsDir fill them.
extern std::string DesktopDir, ProgramsDir, SendToDir, StartUpDir, QuickLaunchDir;
extern std::string ProgramFilesDir;
extern std::string CommonDesktopDir, CommonProgramsDir, CommonStartUpDir;
extern std::string WindowsDir;

// Reads the folder variables from the registry; keys that do not open leave
// their variables alone, except ProgramFilesDir, which says "can not open".
// A value that is not text counts as missing; the errors for such values
// ("Invalid data type for '...'") come back for the caller to show.
std::vector<std::string> ReadShellFolders();
void GetWindowsDir();
// True when a mutex of that name already exists; otherwise none is left.
bool AppIsRunning(const std::string& name);
