// Extraction through the unzip tool.
#include "engine/extraction.hpp"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "shell/file_ops.hpp"
#include "shell/owned.hpp"
#include "shell/path_rules.hpp"

namespace {

// A hidden directory of our own inside dir (so on the target's volume),
// removed with whatever the tool left in it.
class PrivateDirectory {
 public:
  explicit PrivateDirectory(const std::string& dir) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      char name[32];
      wsprintfA(name, "\\~qs%lx%x.tmp", GetCurrentProcessId(), ++counter);
      const std::string candidate = dir + name;
      if (CreateDirectoryA(candidate.c_str(), nullptr))
        path_ = candidate;
      else if (GetLastError() != ERROR_ALREADY_EXISTS)
        break;
    }
    if (!path_.empty()) SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_HIDDEN);
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

// Only a plain name can be found where it says; "sub/x", "..", wildcards
// would put the file (or several) elsewhere.
bool IsPlainName(const std::string& name) {
  return name.find_first_of("/\\*?") == std::string::npos && name != "." && name != "..";
}

// Bytes and entries under dir: grows while the tool writes anything there.
int64_t TreeSize(const std::string& dir) {
  int64_t total = 0;
  WIN32_FIND_DATAA fd;
  OwnedFind h(FindFirstFileA((dir + "\\*").c_str(), &fd));
  if (!h) return 0;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    total += 1 + (static_cast<int64_t>(fd.nFileSizeHigh) << 32 | fd.nFileSizeLow);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) total += TreeSize(dir + "\\" + name);
  } while (FindNextFileA(h.Get(), &fd));
  return total;
}

// Files (not directories) directly in dir.
size_t FileCount(const std::string& dir) {
  size_t n = 0;
  WIN32_FIND_DATAA fd;
  OwnedFind h(FindFirstFileA((dir + "\\*").c_str(), &fd));
  if (!h) return 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileA(h.Get(), &fd));
  return n;
}

// Below this the platform's command-line limit (32,767) leaves room.
constexpr size_t kBatchCommandMax = 30000;
// Tool runs of the fast road at once: they spend most of their time
// starting up, so a few overlap well even on one core.
constexpr size_t kParallelRuns = 4;

}  // namespace

// One prefetch: where its files wait, and how the tool's run ended.
struct TExtractor::Batch {
  explicit Batch(const std::string& dir) : scratch(dir) {}
  PrivateDirectory scratch;
  std::vector<std::string> commands;  // one tool run each
  size_t names = 0;
  unsigned long code = 0;
};

TExtractor::TExtractor(std::string programDir, std::string toolPath, TPrompts& prompts,
                       TProgress& progress, TInstallLog& log)
    : programDir_(std::move(programDir)),
      toolPath_(std::move(toolPath)),
      prompts_(prompts),
      progress_(progress),
      log_(log) {}

TExtractor::~TExtractor() = default;
TExtractor::TExtractor(TExtractor&&) noexcept = default;

void TExtractor::PrepareArchive() {
  const std::string source = SourceArchive();
  if (source.size() > 1 && source[1] == ':') {
    archivePath_ = source;
    return;
  }
  archivePath_ = DirectoryPart(toolPath_) + "setup.dat";
  if (!CopyFileA(source.c_str(), archivePath_.c_str(), FALSE)) {
    prompts_.Message("Can not copy archive locally.");
    throw EEndProgram{0, EEndProgram::kArchiveNotCopied};
  }
}

void TExtractor::Fail(unsigned long code, const std::string& text) {
  lastError_ = code;
  lastErrorText_ = text.empty() ? "Error " + std::to_string(code) : text;
}

unsigned long TExtractor::RunTool(const std::string& params,
                                  const std::function<int64_t()>& progress) {
  SHELLEXECUTEINFOA sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  sei.lpVerb = "open";
  sei.lpFile = toolPath_.c_str();
  sei.lpParameters = params.c_str();
  sei.nShow = SW_HIDE;
  if (!ShellExecuteExA(&sei) || !sei.hProcess) return GetLastError();
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
  if (!FileExists(archivePath_) || toolPath_.empty() || name.empty() || dir.empty()) return false;
  // The limit counts the command line as it names the real target.
  if (UnzipParameters(archivePath_, name, dir).size() >= kUnzipParametersLimit) {
    prompts_.Message("Path too long!\r\nTry extracting all files locally.\r\nSetup incomplete!");
    if (BeforeEnd) BeforeEnd();  // what was installed can still be removed
    throw EEndProgram{0, EEndProgram::kPathTooLong};
  }
  if (auto it = prefetched_.find(dir); it != prefetched_.end() && it->second->code <= 1)
    return PlaceFile(name, it->second->scratch.Path(), dir);
  PrivateDirectory scratch(dir);
  if (scratch.Path().empty()) {
    Fail(GetLastError());
    return false;
  }
  const std::string extracted = scratch.Path() + "\\" + name;
  const unsigned long code = RunTool(UnzipParameters(archivePath_, name, scratch.Path()),
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
  WIN32_FIND_DATAA found;
  HANDLE h = IsPlainName(name) ? FindFirstFileA(extracted.c_str(), &found) : INVALID_HANDLE_VALUE;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  if (h == INVALID_HANDLE_VALUE || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Fail(ERROR_FILE_NOT_FOUND, "Error - " + name + " is not where its name says after extraction");
    return false;
  }
  // The member's own spelling of the name, as the tool would have left it.
  const std::string from = scratch + "\\" + found.cFileName;
  if (!MoveFileExA(from.c_str(), (dir + "\\" + found.cFileName).c_str(),
                   MOVEFILE_REPLACE_EXISTING)) {
    Fail(GetLastError());
    return false;
  }
  return true;
}

void TExtractor::Prefetch(const std::vector<std::string>& names, const std::string& dir) {
  if (names.empty() || dir.empty() || toolPath_.empty() || !FileExists(archivePath_)) return;
  auto batch = std::make_unique<Batch>(dir);
  const std::string& scratch = batch->scratch.Path();
  if (scratch.empty()) return;  // the files take the slow road
  const std::string head = "-Coq " + QuotedForTool(archivePath_);
  const std::string tail = " -d" + QuotedForTool(scratch);
  std::string members;
  for (const std::string& name : names) {
    const std::string member = " " + QuotedForTool(name);
    if (!members.empty() &&
        head.size() + members.size() + member.size() + tail.size() > kBatchCommandMax) {
      batch->commands.push_back(head + members + tail);
      members.clear();
    }
    members += member;
  }
  batch->commands.push_back(head + members + tail);
  batch->names = names.size();
  prefetched_[dir] = std::move(batch);
}

void TExtractor::RunPrefetches() {
  struct Run {
    OwnedHandle process;
    Batch* batch;
    int64_t size = -1;
    DWORD lastProgress = GetTickCount();
  };
  std::vector<std::pair<Batch*, const std::string*>> queue;
  for (auto& [dir, batch] : prefetched_)
    for (const std::string& command : batch->commands) queue.emplace_back(batch.get(), &command);
  std::vector<Run> running;
  auto ended = [](Batch* batch, unsigned long code) {
    if (code > batch->code) batch->code = code;
  };
  size_t next = 0;
  while (next < queue.size() || !running.empty()) {
    while (next < queue.size() && running.size() < kParallelRuns) {
      auto [batch, command] = queue[next++];
      OwnedHandle process(StartDetachedTool(*command));
      if (process)
        running.push_back({std::move(process), batch});
      else
        ended(batch, GetLastError());
    }
    if (running.empty()) continue;
    HANDLE handles[kParallelRuns];
    for (size_t i = 0; i < running.size(); ++i) handles[i] = running[i].process.Get();
    const DWORD w = WaitForMultipleObjects(static_cast<DWORD>(running.size()), handles, FALSE, 100);
    if (w < WAIT_OBJECT_0 + running.size()) {
      Run& done = running[w - WAIT_OBJECT_0];
      DWORD code = STILL_ACTIVE;
      GetExitCodeProcess(done.process.Get(), &code);
      ended(done.batch, code);
      running.erase(running.begin() + (w - WAIT_OBJECT_0));
      continue;
    }
    progress_.ProcessPendingInput();
    if (Stopped && Stopped()) {
      // Cancelled: no more runs; the ones under way are ended.
      for (Run& r : running) {
        TerminateProcess(r.process.Get(), 1);
        WaitForSingleObject(r.process.Get(), 2000);
      }
      running.clear();
      for (auto& [dir, batch] : prefetched_) ended(batch.get(), ERROR_CANCELLED);
      return;
    }
    // The same stall rule as a single run: only a run whose directory has
    // neither grown nor changed for StallLimitMs is ended.
    for (size_t i = 0; i < running.size();) {
      Run& r = running[i];
      const int64_t now = TreeSize(r.batch->scratch.Path());
      if (now != r.size) {
        r.size = now;
        r.lastProgress = GetTickCount();
      } else if (GetTickCount() - r.lastProgress >= StallLimitMs) {
        TerminateProcess(r.process.Get(), 1);
        WaitForSingleObject(r.process.Get(), 2000);
        ended(r.batch, WAIT_TIMEOUT);
        running.erase(running.begin() + i);
        continue;
      }
      ++i;
    }
    if (Extracted) {
      size_t done = 0, total = 0;
      for (auto& [dir, batch] : prefetched_) {
        done += FileCount(batch->scratch.Path());
        total += batch->names;
      }
      Extracted(std::min(done, total), total);
    }
  }
}

void* TExtractor::StartDetachedTool(const std::string& params) {
  // No console: under Wine a console program would otherwise get a console
  // host process of its own, which costs as much as the extraction.
  std::string commandLine = QuotedForTool(toolPath_) + " " + params;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(toolPath_.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      DETACHED_PROCESS | CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

void TExtractor::DropPrefetched() { prefetched_.clear(); }

void TExtractor::RemoveArchiveCopy() {
  if (!archivePath_.empty() && archivePath_ != SourceArchive() && FileExists(archivePath_))
    DeleteFileA(archivePath_.c_str());
}
