// Removal of an installed application by its setup.log.
#pragma once

#include <string>
#include <vector>

#include "engine/file_sums.hpp"

// Deletes every file the log records, removing the directory of each
// ">>>> " record once it is empty. Missing files are skipped. A file the
// record of sums knows is deleted only while it is as installed; changed
// ones are the user's: they stay, with their folders, and are returned.
std::vector<std::string> RemoveLoggedFiles(const std::vector<std::string>& lines,
                                           const TFileSums& sums = {});

// KeptChanged: removed, but for files the user changed (and their folders).
enum class TUninstallOutcome { LogMissing, Removed, SomeLeft, KeptChanged };

struct TRemoval {
  TUninstallOutcome outcome;
  std::vector<std::string> kept;  // files the user changed, left in place
};

// Removes what the log beside the program records, then the log, its
// record of sums and setup.exe there by full path, then the directory. A
// running setup.exe is moved out to the parent directory (same volume) and
// deleted at the next restart, so that it does not keep the directory alive.
TRemoval RemoveInstallation(const std::string& programDir);

std::string OutcomeMessage(TUninstallOutcome outcome);
// The result text of a removal, naming the files it kept.
std::string RemovalMessage(const TRemoval& removal);
