// What an install or a removal does before and around its steps, the same
// for the wizard and for unattended runs: the start-up checks, the options
// that come from the package rather than from the user, and the removal
// itself. Each caller words the outcome its own way (a box, a log line and
// an exit code).
#pragma once

#include <functional>
#include <string>

#include "engine/install_sequence.hpp"
#include "engine/package_source.hpp"
#include "engine/uninstall.hpp"

enum class InstallStart {
  Ready,
  ScriptMissing,  // no setup.ini
  BadScript,      // setup.ini that setup refuses (why says why)
  AppRunning,     // the application holds its mutex
};

// Reads rec from script (the package's setup.ini, through source) and
// checks it; why receives the refusal's text for BadScript.
InstallStart CheckInstallStart(const std::string& script, TProfileSource& source, TSetupRec& rec,
                               std::string& why);

// What an unattended install refuses before it writes anything, beyond the
// start checks: no setup.dat, or a licence not accepted on the command
// line (no one is there to meet either mid-way). Empty when neither.
std::string UnattendedPackageProblem(const PackagePlace& package, bool licenceAccepted);

enum class RemovalStart {
  Ready,
  InvalidName,  // "/u:" names no application (it would name every entry)
  AppRunning,
};
RemovalStart CheckRemovalStart(const std::string& appName);

// The options of an install that the package, the machine and the scope
// decide; the caller adds the user's choices.
TInstallOptions PackageOptions(const PackagePlace& package, const TShellFolders& folders,
                               InstallScope scope);

// Removes the installation of appName in dir: its registry entries (in the
// scope it was installed in), then its files by their log. step names each
// of the two steps as it begins.
TRemoval RemoveApplication(const std::string& appName, const std::string& dir,
                           const std::function<void(const char*)>& step);
