// Extraction: the unzip tool on the paced road, minizip on the fast road.
#include "engine/extraction.hpp"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "engine/file_names.hpp"
#include "engine/package_source.hpp"
#include "shell/file_ops.hpp"
#include "shell/owned.hpp"
#include "shell/path_rules.hpp"
#include "shell/wide_text.hpp"

namespace {

std::string Hex(unsigned long n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  do s.insert(s.begin(), kDigits[n % 16]);
  while (n /= 16);
  return s;
}

}  // namespace

// A hidden directory of our own inside dir (so on the target's volume),
// removed with whatever was left in it.
class TExtractor::PrivateDirectory {
 public:
  explicit PrivateDirectory(const std::string& dir) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::string candidate =
          dir + "\\~qs" + Hex(GetCurrentProcessId()) + Hex(++counter) + ".tmp";
      if (CreateDirectoryW(LongPath(candidate).c_str(), nullptr))
        path_ = candidate;
      else if (GetLastError() != ERROR_ALREADY_EXISTS)
        break;
    }
    if (!path_.empty()) SetAttributes(path_, FILE_ATTRIBUTE_HIDDEN);
  }
  ~PrivateDirectory() {
    if (!path_.empty()) RemoveTree(path_);
  }
  PrivateDirectory(const PrivateDirectory&) = delete;
  PrivateDirectory& operator=(const PrivateDirectory&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

namespace {

// Only a name that names one file can be found where it says: wildcards
// would put several, or none, there.
bool IsPlainName(const std::string& name) {
  return name.find_first_of("*?") == std::string::npos && name != "." && name != "..";
}

// Renames the open file to path, replacing a file there.
bool RenameInto(HANDLE file, const std::string& path) {
  const std::wstring to = LongPath(path);
  std::vector<char> buf(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
  std::copy(to.begin(), to.end(), info->FileName);
  return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buf.size()));
}

std::string FileNameOf(const std::string& path) {
  const size_t sep = path.find_last_of("\\/");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

}  // namespace

TExtractor::TExtractor(ArchivePlace archive, std::string toolPath, TPrompts& prompts,
                       TProgress& progress, TInstallLog& log, bool inProcess)
    : source_(std::move(archive)),
      toolPath_(std::move(toolPath)),
      prompts_(prompts),
      progress_(progress),
      log_(log),
      inProcess_(inProcess) {}

TExtractor::~TExtractor() = default;
TExtractor::TExtractor(TExtractor&&) noexcept = default;

void TExtractor::PrepareArchive() {
  const std::string& source = source_.path;
  // In-process the archive is read where it lies, on a share as well.
  if (inProcess_ || (source_.WholeFile() && source.size() > 1 && source[1] == ':')) {
    archivePath_ = source;
    if (inProcess_) OpenReader();
    return;
  }
  // A name of its own beside the tool, never an existing file: another
  // setup may be running, and the folder holds other programs' files.
  const DWORD seed = GetCurrentProcessId() * 40503u + GetTickCount();
  bool copied = false;
  std::array<uint8_t, 32> copyDigest{};
  for (int attempt = 0; attempt < 64 && !copied; ++attempt) {
    wchar_t name[16];
    wsprintfW(name, L"~qv%04x.dat", static_cast<unsigned>((seed + attempt * 7919u) & 0xFFFF));
    archivePath_ = DirectoryPart(toolPath_) + Narrow(name);
    copied = CopyFileRange(source, source_.offset, source_.size, archivePath_, &copyDigest);
    if (!copied && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  // The tool opens the copy by name for every file: it is held read-only to
  // everyone until it goes, and checked once held.
  if (copied) {
    std::array<uint8_t, 32> held{};
    archiveHold_ = HoldFile(archivePath_, held);
    if (!archiveHold_ || held != copyDigest) {
      archiveHold_.Reset();
      DeleteFileAt(archivePath_);
      copied = false;
    }
  }
  if (!copied) {
    archivePath_.clear();
    prompts_.Message("Can not copy archive locally.");
    throw EEndProgram{0, EEndProgram::kArchiveNotCopied};
  }
}

void TExtractor::OpenReader() {
  // A copy for the tool is a whole archive; the source may be a range.
  if (archivePath_ == source_.path)
    reader_.Open(archivePath_, source_.offset, source_.size);
  else
    reader_.Open(archivePath_);
}

void TExtractor::Fail(unsigned long code, const std::string& text) {
  lastError_ = code;
  lastErrorText_ = text.empty() ? "Error " + std::to_string(code) : text;
}

void TExtractor::EndForLength(const std::string& message) {
  prompts_.Message(message);
  if (BeforeEnd) BeforeEnd();  // what was installed can still be removed
  throw EEndProgram{0, EEndProgram::kPathTooLong};
}

unsigned long TExtractor::RunTool(const std::string& params,
                                  const std::function<int64_t()>& progress) {
  const std::wstring file = Wide(toolPath_), parameters = Wide(params);
  SHELLEXECUTEINFOW sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  sei.lpVerb = L"open";
  sei.lpFile = file.c_str();
  sei.lpParameters = parameters.c_str();
  sei.nShow = SW_HIDE;
  if (!ShellExecuteExW(&sei) || !sei.hProcess) return GetLastError();
  // A tool that is still writing is never ended: only one whose file has
  // neither appeared nor grown for StallLimitMs.
  DWORD code = STILL_ACTIVE;
  int64_t size = -1;
  DWORD lastProgress = GetTickCount();
  for (;;) {
    if (WaitForSingleObject(sei.hProcess, 100) == WAIT_OBJECT_0) {
      GetExitCodeProcess(sei.hProcess, &code);
      break;
    }
    const int64_t now = progress();
    if (now != size) {
      size = now;
      lastProgress = GetTickCount();
    } else if (GetTickCount() - lastProgress >= StallLimitMs) {
      TerminateProcess(sei.hProcess, 1);
      WaitForSingleObject(sei.hProcess, 2000);
      code = WAIT_TIMEOUT;
      break;
    }
  }
  CloseHandle(sei.hProcess);
  return code;
}

bool TExtractor::ExtractFile(const std::string& name, const std::string& dir) {
  progress_.Status("Extracting File..." + name);
  log_.Add("Extracting File..." + name);
  Fail(ERROR_FILE_NOT_FOUND);
  // An empty directory would put the private one, and so the file, in the
  // root of the current drive.
  const bool tool = !inProcess_ && ToolCanTake(name, dir);
  if ((tool && !FileExists(archivePath_)) || name.empty() || dir.empty()) return false;
  // A path below dir only: never "..", a drive or a root.
  if (HasFolderPart(name) && RelativePath(name) != name) {
    Fail(ERROR_FILE_NOT_FOUND, "Error - " + name + " is not where its name says after extraction");
    return false;
  }
  return tool ? ExtractWithTool(name, dir) : ExtractInProcess(name, dir);
}

bool TExtractor::ToolCanTake(const std::string& name, const std::string& dir) const {
  // The tool reads its command line in the ANSI code page: only one that
  // carries every character exactly, and a member name it matches as
  // written, go to it; any other file is read here, with the same result.
  std::string ansi;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; }) &&
         ToAnsiExactly(UnzipParameters(archivePath_, MemberName(name), dir), ansi);
}

bool TExtractor::ExtractWithTool(const std::string& name, const std::string& dir) {
  if (toolPath_.empty()) return false;
  const std::string member = MemberName(name);
  // The limit counts the command line as it names the real target, in the
  // ANSI bytes the tool gets (ToolCanTake made sure they carry it exactly).
  std::string ansi;
  ToAnsiExactly(UnzipParameters(archivePath_, member, dir), ansi);
  if (ansi.size() >= kUnzipParametersLimit)
    EndForLength("Path too long!\r\nTry extracting all files locally.\r\nSetup incomplete!");
  PrivateDirectory scratch(dir);
  if (scratch.Path().empty()) {
    Fail(GetLastError());
    return false;
  }
  const std::string extracted = scratch.Path() + "\\" + name;
  const unsigned long code = RunTool(UnzipParameters(archivePath_, member, scratch.Path()),
                                     [&] { return FileSize(extracted); });
  // UnZip's 0 is success and 1 success with warnings; 2 and above failed,
  // even where a damaged file was left (it goes with the private directory).
  if (code > 1) {
    Fail(code);
    return false;
  }
  return PlaceFile(name, scratch.Path(), dir);
}

bool TExtractor::PlaceFile(const std::string& name, const std::string& scratch,
                           const std::string& dir) {
  const std::string extracted = scratch + "\\" + name;
  WIN32_FIND_DATAW found;
  HANDLE h = IsPlainName(name) ? FindFirstFileW(LongPath(extracted).c_str(), &found)
                               : INVALID_HANDLE_VALUE;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  if (h == INVALID_HANDLE_VALUE || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Fail(ERROR_FILE_NOT_FOUND, "Error - " + name + " is not where its name says after extraction");
    return false;
  }
  // The member's own spelling of the file's name, as the tool would have
  // left it; its folders are the ones the script names.
  const std::string parent = RelativeParent(name), spelled = Narrow(found.cFileName);
  const std::string from = ContainingDirectory(extracted) + "\\" + spelled;
  const std::string to = dir + (parent.empty() ? "" : "\\" + parent) + "\\" + spelled;
  placedFile_ = to;
  placedSumKnown_ = false;
  if (!Replace(to, [&] { return MoveFileTo(from, to, MOVEFILE_REPLACE_EXISTING); })) {
    const unsigned long error = GetLastError();
    if (StageForRestart(error, to, [&](const std::string& staged) {
          return MoveFileTo(from, staged, MOVEFILE_REPLACE_EXISTING);
        }))
      return true;
    Fail(error);
    return false;
  }
  return true;
}

bool TExtractor::Replace(const std::string& target, const std::function<bool()>& place) {
  std::string backup;
  // Asked only where a backup may be kept: each call costs on every file.
  const DWORD attributes =
      keepBackups_ ? GetFileAttributesW(LongPath(target).c_str()) : INVALID_FILE_ATTRIBUTES;
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    wchar_t reserved[MAX_PATH] = {};
    const std::string dir = ContainingDirectory(target);
    if (!dir.empty() && GetTempFileNameW(Wide(dir).c_str(), L"~qb", 0, reserved)) {
      backup = Narrow(reserved);
      if (MoveFileTo(target, backup, MOVEFILE_REPLACE_EXISTING)) {
        SetAttributes(backup, attributes | FILE_ATTRIBUTE_HIDDEN);
      } else {
        DeleteFileAt(backup);  // in use: placing fails below, and stages it
        backup.clear();
      }
    }
  }
  if (!place()) {
    const DWORD error = GetLastError();
    if (!backup.empty()) MoveFileTo(backup, target, MOVEFILE_REPLACE_EXISTING);
    SetLastError(error);
    return false;
  }
  if (keepBackups_) placed_.push_back({target, backup, attributes});
  return true;
}

void TExtractor::RollBack() {
  for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
    if (it->backup.empty()) {
      DeleteFileAt(it->target);
    } else if (MoveFileTo(it->backup, it->target, MOVEFILE_REPLACE_EXISTING)) {
      SetAttributes(it->target, it->attributes);
    }
  }
  placed_.clear();
}

void TExtractor::DropBackups() {
  for (const Placed& p : placed_)
    if (!p.backup.empty()) {
      SetAttributes(p.backup, FILE_ATTRIBUTE_NORMAL);
      DeleteFileAt(p.backup);
    }
  placed_.clear();
}

bool TExtractor::StageForRestart(unsigned long error, const std::string& target,
                                 const std::function<bool(const std::string&)>& move) {
  const DWORD attributes = GetFileAttributesW(LongPath(target).c_str());
  if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
      attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;  // not a file in use: the error stands
  wchar_t reserved[MAX_PATH] = {};
  const std::string dir = ContainingDirectory(target);
  if (dir.empty() || !GetTempFileNameW(Wide(dir).c_str(), L"~qv", 0, reserved)) return false;
  const std::string staged = Narrow(reserved);
  if (!move(staged) ||
      !MoveFileTo(staged, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
    DeleteFileAt(staged);
    return false;
  }
  SetAttributes(staged, FILE_ATTRIBUTE_HIDDEN);
  placedFile_ = staged;
  restartNeeded_ = true;
  // Undone, the staged file goes: the rename at restart then finds nothing.
  placed_.push_back({staged, ""});
  progress_.Status("in use: " + target + " is replaced when Windows restarts");
  return true;
}

bool TExtractor::ExtractInProcess(const std::string& name, const std::string& dir) {
  const std::string target = dir + "\\" + name;
  // Nothing installed may lie beyond what ordinary programs can open: the
  // limit counts UTF-16 units, not bytes of UTF-8.
  if (Wide(target).size() >= MAX_PATH)
    EndForLength("Path too long!\r\n" + target + "\r\nChoose a shorter installation path.\r\n" +
                 "Setup incomplete!");
  // The paced road reads here too, where the tool cannot take a file.
  if (!reader_.IsOpen()) OpenReader();
  if (!reader_.IsOpen()) {
    Fail(FileExists(archivePath_) ? ZipReader::kUnreadable : ERROR_FILE_NOT_FOUND);
    return false;
  }
  const std::string targetDir = ContainingDirectory(target);
  auto& scratch = scratch_[targetDir];
  if (!scratch) scratch = std::make_unique<PrivateDirectory>(targetDir);
  if (scratch->Path().empty()) {
    Fail(GetLastError());
    scratch.reset();
    return false;
  }
  // Written under a name of our own, then renamed into place through the
  // same handle: one call, and a failure leaves nothing behind.
  OwnedHandle out(CreateFileW(LongPath(scratch->Path() + "\\f").c_str(), GENERIC_WRITE | DELETE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) {
    Fail(GetLastError());
    return false;
  }
  std::string stored;
  unsigned long code = reader_.Extract(
      MemberName(name), out.Get(), stored,
      [this] {
        progress_.ProcessPendingInput();
        return !(Stopped && Stopped());
      },
      &placedSum_);
  placedSumKnown_ = code == 0;
  // Named as the tool would leave it: the member's own spelling.
  const std::string placed = targetDir + "\\" + FileNameOf(stored);
  placedFile_ = placed;
  if (code == 0 && !Replace(placed, [&] { return RenameInto(out.Get(), placed); })) {
    code = GetLastError();
    if (StageForRestart(code, placed,
                        [&](const std::string& staged) { return RenameInto(out.Get(), staged); }))
      code = 0;
  }
  if (code != 0) {
    FILE_DISPOSITION_INFO gone{TRUE};
    SetFileInformationByHandle(out.Get(), FileDispositionInfo, &gone, sizeof gone);
    Fail(code);
    return false;
  }
  return true;
}

void TExtractor::DropScratch() { scratch_.clear(); }

void TExtractor::RemoveArchiveCopy() {
  archiveHold_.Reset();
  if (!archivePath_.empty() && archivePath_ != source_.path && FileExists(archivePath_))
    DeleteFileAt(archivePath_);
}
