// The uninstaller's file side.
#include "engine/uninstall.hpp"

#include <windows.h>

#include "engine/install_log.hpp"
#include "engine/log_file.hpp"
#include "shell/file_ops.hpp"
#include "shell/path_rules.hpp"
#include "shell/wide_text.hpp"

namespace {

std::string WithoutTrailingSlash(std::string dir) {
  while (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

// Deletes a file even while it runs: the platform keeps a running program's
// file, so it is renamed out of its directory, onto the same volume (a move
// to another volume would copy it and leave it in place), and deleted at
// restart. True only when the name is really gone.
bool DeleteRunningFile(const std::string& path, const std::string& dir) {
  if (DeleteFileAt(path) || !FileExists(path)) return true;
  const std::string parent = ParentOnSameVolume(dir);
  wchar_t reserved[MAX_PATH] = {};
  if (!parent.empty() && GetTempFileNameW(Wide(parent).c_str(), L"~un", 0, reserved)) {
    const std::string parking = Narrow(reserved);
    if (MoveFileTo(path, parking, MOVEFILE_REPLACE_EXISTING) && !FileExists(path)) {
      SetAttributes(parking, FILE_ATTRIBUTE_HIDDEN);
      MoveFileTo(parking, "", MOVEFILE_DELAY_UNTIL_REBOOT);
      return true;
    }
    DeleteFileAt(parking);  // the name reserved for the move
  }
  // Not movable: at least it goes at the next restart.
  MoveFileTo(path, "", MOVEFILE_DELAY_UNTIL_REBOOT);
  return false;
}

}  // namespace

void RemoveLoggedFiles(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::string path;
    const TLogRecord kind = TInstallLog::Classify(line, path);
    // "\\name" comes from a group without a directory; it would name a file
    // at the root of whatever drive is current now, which is not ours.
    if (kind == TLogRecord::None || IsRootFileOfNoDrive(path)) continue;
    if (kind == TLogRecord::Folder) {
      if (!ContainingDirectory(path + "\\x").empty()) RemoveDirectoryAt(path);
      continue;
    }
    DeleteFileAt(path);
    if (kind != TLogRecord::FileAndDir) continue;
    const std::string dir = ContainingDirectory(path);
    if (!dir.empty()) RemoveDirectoryAt(dir);  // only if empty
  }
}

TUninstallOutcome RemoveInstallation(const std::string& programDir) {
  std::string dir = programDir;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  const std::string logPath = dir + "setup.log";
  if (!FileExists(logPath)) return TUninstallOutcome::LogMissing;
  std::vector<std::string> lines;
  LoadLog(logPath, lines);
  RemoveLoggedFiles(lines);
  DeleteFileAt(logPath);
  DeleteRunningFile(dir + "setup.exe", dir);
  // The current directory must not hold the directory either.
  if (const std::string tmp = TempDirectory(); !tmp.empty()) SetCurrentDirectoryTo(tmp);
  return RemoveDirectoryAt(WithoutTrailingSlash(dir)) ? TUninstallOutcome::Removed
                                                      : TUninstallOutcome::SomeLeft;
}

std::string OutcomeMessage(TUninstallOutcome outcome) {
  switch (outcome) {
    case TUninstallOutcome::LogMissing:
      return "ERROR - Setup Log File Missing!\r\nFiles must be removed manually.";
    case TUninstallOutcome::Removed:
      return "Application removed!";
    default:
      return "Some files could not be removed!";
  }
}
