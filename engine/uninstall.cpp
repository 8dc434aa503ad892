// The uninstaller's file side.
#include "engine/uninstall.hpp"

#include <windows.h>

#include "engine/install_log.hpp"

namespace {

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithoutTrailingSlash(std::string dir) {
  while (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

// Deletes a file even while it runs: the platform keeps a running program's
// file, so it is moved to the temporary directory and deleted at restart.
bool DeleteRunningFile(const std::string& path) {
  if (DeleteFileA(path.c_str()) || !FileExists(path)) return true;
  char tmpDir[MAX_PATH] = {}, tmpFile[MAX_PATH] = {};
  if (!GetTempPathA(MAX_PATH, tmpDir) || !GetTempFileNameA(tmpDir, "~un", 0, tmpFile)) return false;
  if (!MoveFileExA(path.c_str(), tmpFile, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
    return false;
  MoveFileExA(tmpFile, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return true;
}

}  // namespace

void RemoveLoggedFiles(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::string path;
    const TLogRecord kind = TInstallLog::Classify(line, path);
    if (kind == TLogRecord::None) continue;
    DeleteFileA(path.c_str());
    if (kind != TLogRecord::FileAndDir) continue;
    const size_t sep = path.rfind('\\');
    if (sep != std::string::npos) RemoveDirectoryA(path.substr(0, sep).c_str());  // only if empty
  }
}

TUninstallOutcome RemoveInstallation(const std::string& programDir) {
  std::string dir = programDir;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  const std::string logPath = dir + "setup.log";
  if (!FileExists(logPath)) return TUninstallOutcome::LogMissing;
  std::vector<std::string> lines;
  TInstallLog::LoadFromFile(logPath, lines);
  RemoveLoggedFiles(lines);
  DeleteFileA(logPath.c_str());
  DeleteRunningFile(dir + "setup.exe");
  // The current directory must not hold the directory either.
  char tmp[MAX_PATH] = {};
  if (GetTempPathA(MAX_PATH, tmp)) SetCurrentDirectoryA(tmp);
  return RemoveDirectoryA(WithoutTrailingSlash(dir).c_str()) ? TUninstallOutcome::Removed
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
