// The install sequence and its file and shortcut steps.
#include "engine/install_sequence.hpp"
#include "engine/package_source.hpp"

#include <windows.h>

#include <algorithm>
#include <map>

#include "engine/destination.hpp"
#include "engine/file_names.hpp"
#include "engine/log_file.hpp"
#include "engine/registry_entries.hpp"
#include "engine/text_codes.hpp"
#include "shell/elevation.hpp"
#include "shell/file_ops.hpp"
#include "shell/link_rules.hpp"
#include "shell/path_rules.hpp"
#include "shell/shell_folders.hpp"
#include "shell/shell_link.hpp"
#include "shell/wide_text.hpp"

namespace {

// Free bytes on the drive of root; false when the drive cannot tell (none
// of that letter, a character that is no letter).
bool FreeBytes(const std::string& root, double& bytes) {
  ULARGE_INTEGER free{};
  if (!GetDiskFreeSpaceExW(Wide(root).c_str(), &free, nullptr, nullptr)) return false;
  bytes = static_cast<double>(free.QuadPart);
  return true;
}

}  // namespace

InstallScope ScopeOf(const TSetupRec& rec, bool currentUser, bool allUsers) {
  return currentUser || (rec.UserScope && !allUsers) ? InstallScope::User : InstallScope::Machine;
}

std::string DefaultInstallPath(const TSetupRec& rec, InstallScope scope,
                               const TShellFolders& folders) {
  if (const std::string earlier = ExistingInstallPath(rec.AppName, scope); !earlier.empty())
    return earlier;
  if (scope == InstallScope::User && !folders.LocalAppDataDir.empty())
    return folders.LocalAppDataDir + "\\Programs\\" + rec.AppName;
  std::string path = rec.InstPath;
  ReplaceMacro(path, kShortStringMax, "<program files>", folders.ProgramFilesDir);
  return path;
}

TInstaller::TInstaller(TSetupRec& rec, TInstallOptions options, TInstallLog& log, TPrompts& prompts,
                       TProgress& progress)
    : rec_(rec),
      opt_(std::move(options)),
      log_(log),
      prompts_(prompts),
      progress_(progress),
      extractor_(opt_.Archive.path.empty()
                     ? ArchivePlace{DirectoryPart(opt_.ProgramPath) + "setup.dat"}
                     : opt_.Archive,
                 opt_.ToolPath, prompts, progress, log, opt_.Fast) {
  // Before a "Path too long!" end, keep what was installed removable, and
  // leave neither private directories nor the archive copy.
  extractor_.BeforeEnd = [this] {
    if (opt_.Rollback) {
      RollBack();
    } else {
      EndFiles();
      SaveLog();
    }
    extractor_.RemoveArchiveCopy();
  };
  if (opt_.Rollback) extractor_.KeepBackups();
  extractor_.Stopped = [this] { return cancelRequested_; };
}

bool TInstaller::CheckDestination() {
  if (opt_.InstPath.empty()) {
    result_ = TInstallResult::NoPath;
    prompts_.Message("Please enter an installation path.");
    return false;
  }
  const int64_t required = RequiredSpace(rec_.DiskSpace);
  double free = 0;
  if (!FreeBytes(DriveRoot(opt_.InstPath), free)) {
    // No drive to measure is no lack of space: the path is wrong.
    result_ = TInstallResult::NoDrive;
    prompts_.Message("Error - Can not read the free space of " + DriveRoot(opt_.InstPath) + " (" +
                     SystemMessage(GetLastError()) + ").\r\nChoose another path.");
    return false;
  }
  if (static_cast<double>(required) > free) {
    result_ = TInstallResult::NoSpace;
    prompts_.Message(NotEnoughSpaceMessage(required));
    return false;
  }
  if (!DirectoryExists(opt_.InstPath)) {
    if (prompts_.Question("Path does not exist, create it?") != TPrompts::Yes) {
      result_ = TInstallResult::Declined;
      return false;
    }
    // The levels made here go again should the run be undone.
    for (std::string dir = opt_.InstPath; dir.size() > 3 && !DirectoryExists(dir);
         dir = ContainingDirectory(dir))
      madeInstDirs_.push_back(dir);
    ForceDirectories(opt_.InstPath);
  }
  return true;
}

std::string TInstaller::ProgramFile() const {
  const std::string program = RelativePath(rec_.Program);
  return program.empty() ? "" : opt_.InstPath + "\\" + program;
}

bool TInstaller::SaveLog() {
  KeepEarlierRecords();
  // The record describes what the log removes: files kept from the earlier
  // installation keep their earlier sums.
  TFileSums sums = sums_;
  for (const std::string& line : log_.Lines()) {
    std::string path;
    const TLogRecord kind = TInstallLog::Classify(line, path);
    if (kind != TLogRecord::File && kind != TLogRecord::FileAndDir) continue;
    if (const TFileSum* earlier = earlierSums_.Find(path); earlier && !sums.Find(path))
      sums.Set(path, *earlier);
  }
  const std::string sumsPath = opt_.InstPath + "\\" + TFileSums::kFileName;
  if (!SaveSums(sums, sumsPath)) log_.Add(">Error - Can not write " + sumsPath);
  return ::SaveLog(log_, opt_.InstPath + "\\setup.log");
}

void TInstaller::RemoveDroppedFiles() {
  std::set<std::string> shipped;
  for (const std::string& line : log_.Lines()) {
    std::string path;
    if (TInstallLog::Classify(line, path) != TLogRecord::None) shipped.insert(FoldCase(path));
  }
  std::vector<std::string> kept;
  for (const std::string& line : earlierLog_) {
    std::string path;
    const TLogRecord kind = TInstallLog::Classify(line, path);
    const TFileSum* recorded = earlierSums_.Find(path);
    TFileSum now;
    if ((kind == TLogRecord::File || kind == TLogRecord::FileAndDir) && recorded &&
        !shipped.count(FoldCase(path))) {
      if (!FileExists(path)) continue;  // gone already: nothing to remove
      if (SumOfFile(path, now) && now == *recorded && DeleteFileAt(path)) {
        const std::string dir = ContainingDirectory(path);
        if (kind == TLogRecord::FileAndDir && !dir.empty()) RemoveDirectoryAt(dir);
        continue;
      }
    }
    // A folder made for files, empty now that they are gone, goes too.
    if (kind == TLogRecord::Folder && !shipped.count(FoldCase(path)) &&
        !ContainingDirectory(path + "\\x").empty() && RemoveDirectoryAt(path))
      continue;
    kept.push_back(line);
  }
  earlierLog_ = std::move(kept);
}

void TInstaller::KeepEarlierRecords() {
  if (earlierKept_) return;
  earlierKept_ = true;
  log_.KeepEarlierRecords(earlierLog_);
}

void TInstaller::Cancel() {
  // The file step drops the archive copy when it stops: tool runs of the
  // fast road may still be reading it now.
  cancelRequested_ = true;
}

bool TInstaller::StopFiles(TInstallResult result) {
  result_ = result;
  if (opt_.Rollback)
    RollBack();
  else
    EndFiles();
  extractor_.RemoveArchiveCopy();
  return false;
}

void TInstaller::RollBack() {
  extractor_.DropScratch();
  extractor_.RollBack();
  // Folders this run made, deepest first; each only if empty.
  for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) RemoveDirectoryAt(*it);
  madeFolders_.clear();
  std::vector<std::string> groups(madeGroupDirs_.begin(), madeGroupDirs_.end());
  std::sort(groups.begin(), groups.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& dir : groups) RemoveDirectoryAt(dir);
  for (const std::string& dir : madeInstDirs_) RemoveDirectoryAt(dir);
  rolledBack_ = true;
  resultMessage_ = "Error - Setup incomplete!\r\nWhat it changed was put back.";
}

void TInstaller::EndFiles() {
  extractor_.DropScratch();
  LogMadeFolders();
}

void TInstaller::MakeFolders(const std::string& dir, const std::string& relativeFolder) {
  // Each directory is asked for once: thousands of files share a few.
  if (knownDirs_.insert(dir).second && !DirectoryExists(dir) && ForceDirectories(dir))
    madeGroupDirs_.insert(dir);
  if (relativeFolder.empty()) return;
  // A group's folder that holds only folders is removed by no file's record.
  if (madeGroupDirs_.erase(dir)) madeFolders_.push_back(dir);
  std::string folder = dir;
  for (size_t start = 0; start <= relativeFolder.size();) {
    const size_t end = std::min(relativeFolder.find('\\', start), relativeFolder.size());
    folder += "\\" + relativeFolder.substr(start, end - start);
    if (knownDirs_.insert(folder).second && !DirectoryExists(folder) && ForceDirectories(folder))
      madeFolders_.push_back(folder);
    start = end + 1;
  }
}

void TInstaller::LogMadeFolders() {
  for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
    log_.Add(">>>> " + *it + "\\");
  madeFolders_.clear();
}

bool TInstaller::InstallFiles() {
  extractor_.PrepareArchive();
  opt_.Folders.WindowsDir = GetWindowsDir();
  ExpandGroupDirs(rec_, opt_.InstPath, opt_.Folders.WindowsDir);
  progress_.Status("Installing files...");
  log_.Add("Installing files...");
  const size_t count = rec_.Files.Count() == 0 ? 1 : (rec_.Files.Count() - 1) / 4 + 1;
  for (size_t i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    const std::string value = rec_.Files.Get("Name" + n);
    // A name with folders is a path below its group's directory; any other
    // takes the file-name part, as always.
    std::string why;
    const std::string name = HasFolderPart(value) ? RelativePath(value, &why) : value;
    const std::string& shown = name.empty() ? value : name;
    log_.Add("extracting " + shown + " to");
    const std::string dir = GroupDir(rec_, rec_.Files.Get("Group" + n), opt_.InstPath);
    bool placed = false;
    if (why.empty()) {
      MakeFolders(dir, RelativeParent(name));
      log_.Add(">>>> " + dir + "\\" + name);
      placed = extractor_.ExtractFile(name, dir);
    }
    if (placed) {
      TFileSum sum;
      if (const TFileSum* taken = extractor_.PlacedSum())
        sums_.Set(dir + "\\" + name, *taken);
      else if (SumOfFile(extractor_.PlacedFile(), sum))
        sums_.Set(dir + "\\" + name, sum);
      progress_.Status("copying " + name);
    } else if (cancelRequested_ && extractor_.LastError() == ERROR_CANCELLED) {
      return StopFiles(TInstallResult::Cancelled);  // stopped inside the file
    } else {
      const std::string error =
          why.empty() ? extractor_.LastErrorText() : "Error - " + value + " " + why;
      const std::string text = error + "\r\ncopying " + shown;
      if (prompts_.AbortOrIgnore(text) == TPrompts::Abort)
        return StopFiles(TInstallResult::FileError);
    }
    progress_.FileProgress(static_cast<int>((i + 1) * 100 / count));
    progress_.ProcessPendingInput();
    if (!opt_.Fast) Sleep(500);
    if (cancelRequested_) return StopFiles(TInstallResult::Cancelled);
  }
  EndFiles();
  extractor_.DropBackups();  // the files are in: nothing to put back
  // The uninstaller is the bare program, named as its entries name it.
  const std::string self = opt_.InstPath + "\\setup.exe";
  if (!CopyBareProgram(opt_.ProgramPath, opt_.ProgramSize, self))
    log_.Add(">Error - Can not copy " + self);
  extractor_.RemoveArchiveCopy();
  return true;
}

void TInstaller::CreateShortcuts() {
  progress_.Status("Creating Shortcuts...");
  log_.Add("Creating Shortcuts...");
  TShellLink link;
  bool linkErrorShown = false;
  link.SetLangType(TLangType::ltEnglish);
  auto save = [&](const std::string& file) {
    link.SetWindowState(TWindowState::wsNormal);
    link.SetHotKey(0);
    link.FileIcon = TFileIcon{};
    link.SetFileName(file);
    bool saved = false;
    try {
      saved = link.SaveLink();
    } catch (const EShellLink& e) {
      // No shell link object at all: say so once; the other steps go on.
      if (!linkErrorShown) prompts_.Message(e.what());
      linkErrorShown = true;
    }
    if (!saved) log_.Add(">Error - Can not save shortcut: " + link.FileName());
  };
  const std::string& app = rec_.AppName;
  const std::string program = ProgramFile();
  link.Description = "";
  link.WorkingDir = HasFolderPart(rec_.Program) ? ContainingDirectory(program) : opt_.InstPath;
  link.Target = program;
  link.Arguments = "";
  // A package without a program of its own has nothing to start with Windows.
  if (opt_.StartUp && !program.empty()) {
    save(opt_.Folders.StartUpDir + "\\" + app + ".lnk");
    log_.Add("StartUp shortcut created");
    log_.Add(">> " + link.FileName());
  }
  const std::string group = opt_.Folders.ProgramsDir + "\\" + opt_.Folder;
  ForceDirectories(group + "\\");
  log_.Add("Group " + opt_.Folder + " created");
  SetCurrentDirectoryTo(opt_.InstPath);
  const size_t count = rec_.Files.Count() == 0 ? 1 : (rec_.Files.Count() - 1) / 4 + 1;
  for (size_t i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    if (rec_.Files.Get("ShortCut" + n) != "Yes") continue;
    const std::string description = rec_.Files.Get("Descritpion" + n);
    const std::string dir = GroupDir(rec_, rec_.Files.Get("Group" + n), opt_.InstPath);
    const std::string value = rec_.Files.Get("Name" + n);
    // A name with folders points at that file and works in its folder.
    const std::string name = HasFolderPart(value) ? RelativePath(value) : value;
    if (name.empty() && !value.empty()) continue;  // it was never installed
    link.Description = description;
    link.Target = dir + "\\" + name;
    link.WorkingDir = HasFolderPart(value) ? ContainingDirectory(link.Target) : dir;
    link.Arguments = "";
    save(group + "\\" + description + ".lnk");
    log_.Add("Item " + description + " created");
    log_.Add(">>>> " + link.FileName());
  }
  const std::string mainLink = group + "\\" + app + ".lnk";
  // The paced road gives the shell time to show the main shortcut; saving
  // it is synchronous, so the fast road does not wait for one that may
  // never come.
  for (int i = 0; i < 20 && !opt_.Fast && !FileExists(mainLink); ++i) Sleep(200);
  struct Copy {
    bool chosen;
    const std::string& dir;
    const char* message;
  } copies[] = {{opt_.Desktop, opt_.Folders.DesktopDir, "DeskTop shortcut created"},
                {opt_.SendTo, opt_.Folders.SendToDir, "SendTo shortcut created"},
                {opt_.QuickLaunch, opt_.Folders.QuickLaunchDir, "QuickLaunch shortcut created"}};
  for (const Copy& c : copies) {
    if (!c.chosen || c.dir.empty()) continue;
    CopyFileTo(mainLink, c.dir + "\\" + app + ".lnk");
    log_.Add(c.message);
    log_.Add(">> " + c.dir + "\\" + app + ".lnk");
  }
  link.Description = "Uninstall " + app;
  link.WorkingDir = opt_.InstPath;
  link.Target = opt_.InstPath + "\\setup.exe";
  // Quoted when the name has a blank, so that it arrives whole.
  link.Arguments = app.find(' ') == std::string::npos ? "/u:" + app : "\"/u:" + app + "\"";
  save(group + "\\uninstall.lnk");
  log_.Add("Uninstall shortcut created");
  log_.Add(">>>> " + link.FileName());
}

void TInstaller::Run() {
  // Installing over an earlier installation: what it had and this one does
  // not replace stays in the new log.
  LoadLog(opt_.InstPath + "\\setup.log", earlierLog_);
  earlierSums_ = LoadSums(opt_.InstPath + "\\" + TFileSums::kFileName);
  // The current user's alone has no say over everyone's folders.
  if (opt_.AllUsers && opt_.Scope == InstallScope::Machine) {
    if (!opt_.Folders.CommonDesktopDir.empty())
      opt_.Folders.DesktopDir = opt_.Folders.CommonDesktopDir;
    if (!opt_.Folders.CommonProgramsDir.empty())
      opt_.Folders.ProgramsDir = opt_.Folders.CommonProgramsDir;
    if (!opt_.Folders.CommonStartUpDir.empty())
      opt_.Folders.StartUpDir = opt_.Folders.CommonStartUpDir;
  }
  bool ok = InstallFiles();
  if (ok) {
    CreateShortcuts();
    RemoveDroppedFiles();
    KeepEarlierRecords();  // counted in the size, removed by one uninstall
    // The copied setup program stays as the uninstaller: it counts too.
    const std::string self = opt_.InstPath + "\\setup.exe";
    ok = CreateKeys(progress_, log_,
                    {rec_.AppName, opt_.InstPath, rec_.Program, rec_.Version, rec_.Publisher,
                     rec_.URL, InstalledSizeKB(log_.Lines(), self), opt_.Scope});
    if (ok)
      resultMessage_ = RestartNeeded()
                           ? "Setup Completed!\r\nA file in use is replaced when Windows "
                             "restarts: restart to complete the installation."
                           : "Setup Completed!";
  }
  // Undone, the earlier setup.log and its record stay as they were.
  if (!rolledBack_ && !SaveLog()) {
    result_ = TInstallResult::LogNotSaved;
    prompts_.Message("Can not write " + opt_.InstPath + "\\setup.log");
    return;
  }
  prompts_.Message(resultMessage_);
  const std::string exe = ProgramFile();
  if (!ok || opt_.NoLaunch || exe.empty()) return;
  // It works in its own folder, as its shortcut has it.
  const std::string folder = HasFolderPart(rec_.Program) ? ContainingDirectory(exe) : opt_.InstPath;
  // An elevated installer starts it as the user at the desktop, not with
  // its own rights.
  if (!StartAsSignedInUser(exe, folder)) prompts_.Message("Can not launch " + exe);
}
