// The application's registry entries: the installation path under the
// maker's key, App Paths, and the Uninstall entry; machine-wide under
// HKEY_LOCAL_MACHINE, or the current user's alone under HKEY_CURRENT_USER.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/install_log.hpp"
#include "engine/progress.hpp"

enum class InstallScope { Machine, User };

// What the entries say about one installation.
struct TAppEntry {
  std::string AppName;
  std::string InstPath;
  std::string Program;    // below InstPath; empty for a package without one
  std::string Version;    // DisplayVersion, when not empty
  std::string Publisher;  // Publisher, when not empty
  std::string URL;        // URLInfoAbout, when not empty
  uint32_t SizeKB = 0;    // EstimatedSize
  InstallScope Scope = InstallScope::Machine;
};

// The command that starts this program in uninstall mode: the program's
// path always quoted, the "/u:" argument quoted when the name has a blank.
std::string UninstallCommand(const std::string& instPath, const std::string& appName);

// The size of the files that the log's ">>>> " lines name, and of also (the
// copy of the setup program, which no record names), in whole KB rounded
// up; files that are missing count nothing.
uint32_t InstalledSizeKB(const std::vector<std::string>& logLines, const std::string& also = "");

// Writes the entries under the scope's root and logs every step; a key or
// value that fails is logged and skipped. Always true.
bool CreateKeys(TProgress& progress, TInstallLog& log, const TAppEntry& entry);

// Where an earlier installation of appName went, while its Uninstall entry
// exists: the entry's InstallLocation, else the Path under the maker's key.
// Empty otherwise.
std::string ExistingInstallPath(const std::string& appName,
                                InstallScope scope = InstallScope::Machine);

// Whether this process may write the machine-wide entries (the Uninstall
// key opens for writing): what an install for all users needs.
bool CanWriteMachineEntries();

// The scope of the installation of appName in dir: User when the current
// user's Uninstall entry of that name points at dir, else Machine.
InstallScope InstalledScope(const std::string& appName, const std::string& dir);

// The program's full path, or empty when the entry names none.
std::string ProgramPath(const TAppEntry& entry);

// Removes the App Paths and Uninstall keys of name with all they hold; the
// maker's key stays. A program named otherwise than name has its App Paths
// key under its own file name: that one goes too, when it points at the
// program that the Uninstall entry's DisplayIcon names.
void DeleteUninstallKeys(const std::string& name, InstallScope scope = InstallScope::Machine);
