// Extraction through the unzip tool.
#include "engine/extraction.hpp"

#include <windows.h>
#include <shellapi.h>

namespace {

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DirectoryPart(const std::string& path) {
  const size_t sep = path.find_last_of("\\:");
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

constexpr DWORD kToolTimeoutMs = 10000;

}  // namespace

namespace {

// Backslashes right before a closing quote would escape it for the tool's
// command-line parser ("C:\App\" reads as C:\App"): they are doubled.
std::string Quoted(const std::string& s) {
  size_t trailing = 0;
  while (trailing < s.size() && s[s.size() - 1 - trailing] == '\\') ++trailing;
  return "\"" + s + std::string(trailing, '\\') + "\"";
}

}  // namespace

std::string UnzipParameters(const std::string& archive, const std::string& name,
                            const std::string& dir) {
  return "-Coq " + Quoted(archive) + " " + Quoted(name) + " -d" + Quoted(dir);
}

void TExtractor::PrepareArchive() {
  const std::string source = SourceArchive();
  if (source.size() > 1 && source[1] == ':') {
    archivePath_ = source;
    return;
  }
  archivePath_ = DirectoryPart(toolPath_) + "setup.dat";
  if (!CopyFileA(source.c_str(), archivePath_.c_str(), FALSE)) {
    prompts_.Message("Can not copy archive locally.");
    throw EEndProgram{0};
  }
}

bool TExtractor::ExtractFile(const std::string& name, const std::string& dir) {
  progress_.Status("Extracting File..." + name);
  log_.Add("Extracting File..." + name);
  const std::string target = dir + "\\" + name;
  lastError_ = ERROR_FILE_NOT_FOUND;
  if (!FileExists(archivePath_) || toolPath_.empty() || name.empty()) return false;
  const std::string params = UnzipParameters(archivePath_, name, dir);
  if (params.size() >= 256) {
    prompts_.Message("Path too long!\r\nTry extracting all files locally.\r\nSetup incomplete!");
    if (BeforeEnd) BeforeEnd();  // what was installed can still be removed
    throw EEndProgram{0};
  }
  // The old file stays until the tool replaces it (-o): a failed run must not
  // cost the user a working copy.
  SHELLEXECUTEINFOA sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  sei.lpVerb = "open";
  sei.lpFile = toolPath_.c_str();
  sei.lpParameters = params.c_str();
  sei.nShow = SW_HIDE;
  if (!ShellExecuteExA(&sei) || !sei.hProcess) {
    lastError_ = GetLastError();
    return false;
  }
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(sei.hProcess, kToolTimeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(sei.hProcess, &code);
  } else {
    TerminateProcess(sei.hProcess, 1);  // neither ended nor done in time
    WaitForSingleObject(sei.hProcess, 2000);
    code = WAIT_TIMEOUT;
  }
  CloseHandle(sei.hProcess);
  // UnZip's 0 is success and 1 success with warnings; 2 and above failed,
  // even where a damaged file was left on disk.
  if (code <= 1 && FileExists(target)) return true;
  lastError_ = code;
  return false;
}

void TExtractor::RemoveArchiveCopy() {
  if (!archivePath_.empty() && archivePath_ != SourceArchive() && FileExists(archivePath_))
    DeleteFileA(archivePath_.c_str());
}
