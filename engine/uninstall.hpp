// Removal of an installed application by its setup.log.
#pragma once

#include <string>
#include <vector>

// Deletes every file the log records, removing the directory of each
// ">>>> " record once it is empty. Missing files are skipped.
void RemoveLoggedFiles(const std::vector<std::string>& lines);

enum class TUninstallOutcome { LogMissing, Removed, SomeLeft };

// Removes what the log beside the program records, then the log and
// setup.exe there by full path, then the directory. A running setup.exe is
// moved out to the parent directory (same volume) and deleted at the next
// restart, so that it does not keep the directory alive.
TUninstallOutcome RemoveInstallation(const std::string& programDir);

std::string OutcomeMessage(TUninstallOutcome outcome);
