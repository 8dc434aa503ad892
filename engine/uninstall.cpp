// The uninstaller's file side.
#include "engine/uninstall.hpp"

#include <windows.h>

#include <algorithm>

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

std::vector<std::string> RemoveLoggedFiles(const std::vector<std::string>& lines,
                                           const TFileSums& sums) {
  std::vector<std::string> kept;
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
    if (const TFileSum* recorded = sums.Find(path); recorded && FileExists(path)) {
      TFileSum now;
      if (!SumOfFile(path, now) || !(now == *recorded)) {
        kept.push_back(path);
        continue;
      }
    }
    DeleteFileAt(path);
    if (kind != TLogRecord::FileAndDir) continue;
    const std::string dir = ContainingDirectory(path);
    if (!dir.empty()) RemoveDirectoryAt(dir);  // only if empty
  }
  return kept;
}

TRemoval RemoveInstallation(const std::string& programDir) {
  std::string dir = programDir;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  const std::string logPath = dir + "setup.log";
  if (!FileExists(logPath)) return {TUninstallOutcome::LogMissing, {}};
  std::vector<std::string> lines;
  LoadLog(logPath, lines);
  const std::string sumsPath = dir + TFileSums::kFileName;
  TRemoval removal{TUninstallOutcome::Removed, RemoveLoggedFiles(lines, LoadSums(sumsPath))};
  DeleteFileAt(logPath);
  DeleteFileAt(sumsPath);
  DeleteRunningFile(dir + "setup.exe", dir);
  // The current directory must not hold the directory either.
  if (const std::string tmp = TempDirectory(); !tmp.empty()) SetCurrentDirectoryTo(tmp);
  RemoveDirectoryAt(WithoutTrailingSlash(dir));
  // Whatever the log names and was not kept on purpose must be gone.
  bool left = DirectoryExists(WithoutTrailingSlash(dir)) && removal.kept.empty();
  for (const std::string& line : lines) {
    std::string path;
    const TLogRecord kind = TInstallLog::Classify(line, path);
    if ((kind == TLogRecord::File || kind == TLogRecord::FileAndDir) && FileExists(path) &&
        std::find(removal.kept.begin(), removal.kept.end(), path) == removal.kept.end())
      left = true;
  }
  if (left)
    removal.outcome = TUninstallOutcome::SomeLeft;
  else if (!removal.kept.empty())
    removal.outcome = TUninstallOutcome::KeptChanged;
  return removal;
}

std::string OutcomeMessage(TUninstallOutcome outcome) {
  switch (outcome) {
    case TUninstallOutcome::LogMissing:
      return "ERROR - Setup Log File Missing!\r\nFiles must be removed manually.";
    case TUninstallOutcome::Removed:
      return "Application removed!";
    case TUninstallOutcome::KeptChanged:
      return "Application removed!\r\nFiles you changed were kept:";
    default:
      return "Some files could not be removed!";
  }
}

std::string RemovalMessage(const TRemoval& removal) {
  std::string text = OutcomeMessage(removal.outcome);
  if (removal.outcome == TUninstallOutcome::KeptChanged)
    for (const std::string& path : removal.kept) text += "\r\n" + path;
  return text;
}
