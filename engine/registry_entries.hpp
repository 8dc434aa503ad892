// The application's machine-wide registry entries: the installation path
// under the maker's key, App Paths, and the Uninstall entry.
#pragma once

#include <string>

#include "engine/install_log.hpp"
#include "engine/progress.hpp"

// The command that starts this program in uninstall mode: the program's
// path always quoted, the "/u:" argument quoted when the name has a blank.
std::string UninstallCommand(const std::string& instPath, const std::string& appName);

// Writes the entries under HKEY_LOCAL_MACHINE and logs every step; a key or
// value that fails is logged and skipped. Always true.
bool CreateKeys(TProgress& progress, TInstallLog& log, const std::string& appName,
                const std::string& instPath);

// Removes the App Paths and Uninstall keys of name with all they hold; the
// maker's key stays.
void DeleteUninstallKeys(const std::string& name);
