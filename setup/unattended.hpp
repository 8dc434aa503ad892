// Unattended runs for deployment systems (/S, /SP): no questions, safe
// answers, a progress log, and an exit code for every way a run ends.
#pragma once

#include <string>

#include "setup/command_line.hpp"

// The exit codes of unattended runs.
enum UnattendedExit : int {
  kExitDone = 0,
  kExitBadInput = 1,     // command line, script or package
  kExitCancelled = 2,    // Cancel in the progress window
  kExitRunning = 3,      // the application is running
  kExitNoSpace = 4,      // not enough disk space
  kExitFileFailed = 5,   // a file could not be installed or removed
  kExitPathTooLong = 6,  // the unzip tool's command line would be too long
};

// Installs, or removes the application named by "/u:" in commandLine.
int RunUnattended(const TRunSwitches& switches, const std::string& commandLine);
// Ends an unattended run before it starts: text goes to the /LOG file, and
// the exit code is the one for bad input (1).
int RefuseUnattended(const TRunSwitches& switches, const std::string& text);
