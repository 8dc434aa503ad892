// Unattended installation and removal.
#include "setup/unattended.hpp"
#include "shell/wide_text.hpp"

#include <windows.h>

#include <exception>
#include <memory>

#include "engine/install_sequence.hpp"
#include "engine/install_session.hpp"
#include "engine/registry_entries.hpp"
#include "engine/uninstall.hpp"
#include "setup/application.hpp"
#include "setup/progress_window.hpp"
#include "setup/setup_script.hpp"
#include "setup/start_up.hpp"
#include "shell/file_ops.hpp"
#include "shell/owned.hpp"

namespace {

// The plain-text progress log (/LOG=file): one line per step.
class RunLog {
 public:
  explicit RunLog(const std::string& path, bool append = false) {
    if (!path.empty())
      file_.Reset(CreateFileW(LongPath(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                              FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  void Line(const std::string& text) {
    // Multi-line messages stay on one line of the log.
    std::string line;
    for (const char c : text) {
      if (c == '\n') continue;
      line += c == '\r' ? ' ' : c;
    }
    line += "\r\n";
    DWORD written = 0;
    if (file_)
      WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }

 private:
  OwnedHandle file_;
};

// Every question gets its safe answer: create the path, abort at an error.
class LoggedPrompts : public TPrompts {
 public:
  explicit LoggedPrompts(RunLog& log) : log_(log) {}
  void Message(const std::string& text) override { log_.Line(text); }
  Answer Question(const std::string& text) override {
    log_.Line(text + " Yes");
    return Yes;
  }
  Answer AbortOrIgnore(const std::string& text) override {
    log_.Line(text + " Abort");
    return Abort;
  }

 private:
  RunLog& log_;
};

class LoggedProgress : public TProgress {
 public:
  LoggedProgress(RunLog& log, ProgressWindow* window) : log_(log), window_(window) {}
  TInstaller* installer = nullptr;

  void Status(const std::string& text) override {
    log_.Line(text);
    if (window_) window_->SetText(text);
  }
  void FileProgress(int percent) override {
    if (window_) window_->SetPercent(percent);
  }
  void ProcessPendingInput() override {
    if (window_ && window_->Pump() && installer && !installer->CancelRequested()) {
      log_.Line("Setup cancelled!");
      installer->Cancel();
    }
  }

 private:
  RunLog& log_;
  ProgressWindow* window_;
};

std::unique_ptr<ProgressWindow> OpenWindow(const TRunSwitches& sw, const std::string& caption) {
  if (!sw.Progress) return nullptr;
  auto window = std::make_unique<ProgressWindow>();
  if (!window->Create(caption)) return nullptr;
  return window;
}

int Refuse(RunLog& log, const std::string& text, int code) {
  log.Line(text);
  return code;
}

int Install(const TRunSwitches& sw, RunLog& log) {
  // Unattended runs read setup.dat in-process: the stored unzip tool is
  // never written out.
  TShellFolders folders;
  for (const std::string& problem : ReadShellFolders(folders)) log.Line(problem);
  const PackagePlace& package = Application::Package;
  TSetupRec rec;
  TPrivateProfile source(package.script);
  std::string why;
  const InstallStart start = CheckInstallStart(package.script, source, rec, why);
  if (start == InstallStart::ScriptMissing)
    return Refuse(log, "Error - setup.ini File Missing!", kExitBadInput);
  if (start == InstallStart::BadScript) return Refuse(log, why, kExitBadInput);
  if (const std::string problem = UnattendedPackageProblem(package, sw.AcceptLicense);
      !problem.empty())
    return Refuse(log, problem, kExitBadInput);
  if (start == InstallStart::AppRunning)
    return Refuse(log, "The Application you are attempting to install is active.", kExitRunning);

  TInstallOptions opt = PackageOptions(package, folders, ScopeOf(rec, sw.CurrentUser, sw.AllUsers));
  opt.InstPath = !sw.Path.empty() ? sw.Path : DefaultInstallPath(rec, opt.Scope, folders);
  opt.Folder = sw.HasFolder ? sw.Folder : rec.FolderName;
  opt.StartUp = sw.HasShortcuts ? sw.StartUp : rec.RunOnStart;
  opt.Desktop = sw.HasShortcuts ? sw.Desktop : rec.OnDesktop;
  opt.SendTo = sw.HasShortcuts ? sw.SendTo : rec.OnStartMenu;
  opt.QuickLaunch = sw.HasShortcuts ? sw.QuickLaunch : rec.OnQuickLaunch;
  opt.AllUsers = sw.AllUsers;
  opt.NoLaunch = sw.NoLaunch || !sw.Launch;
  opt.Fast = true;
  opt.Rollback = true;  // no one is there to clean up after a failure
  log.Line("Installing " + rec.AppName + " into " + opt.InstPath);

  const auto window = OpenWindow(sw, ShortString("Setup [" + rec.AppName + "]"));
  LoggedPrompts prompts(log);
  LoggedProgress progress(log, window.get());
  TInstallLog installLog;
  TInstaller installer(rec, opt, installLog, prompts, progress);
  progress.installer = &installer;
  if (!installer.CheckDestination())
    return installer.Result() == TInstallResult::NoSpace ? kExitNoSpace : kExitBadInput;
  // The error records setup.log keeps (a registry value, a shortcut, the
  // uninstaller's copy) reach the run's own log too.
  const auto copyErrors = [&] {
    for (const std::string& line : installLog.Lines())
      if (line.rfind(">Error", 0) == 0) log.Line(line.substr(1));
  };
  try {
    installer.Run();
  } catch (const EEndProgram& end) {
    copyErrors();
    return end.reason == EEndProgram::kPathTooLong ? kExitPathTooLong : kExitBadInput;
  }
  copyErrors();
  switch (installer.Result()) {
    case TInstallResult::Completed:
      return installer.RestartNeeded() ? kExitRestart : kExitDone;
    case TInstallResult::Cancelled:
      return kExitCancelled;
    default:
      return kExitFileFailed;
  }
}

int Uninstall(const TRunSwitches& sw, const std::string& name, RunLog& log) {
  switch (CheckRemovalStart(name)) {
    case RemovalStart::InvalidName:
      return Refuse(log, "Invalid argument \"/u:" + name + "\": it names no application.",
                    kExitBadInput);
    case RemovalStart::AppRunning:
      return Refuse(log, "The Application you are attempting to uninstall is active.",
                    kExitRunning);
    case RemovalStart::Ready:
      break;
  }
  // Started elsewhere (the package's copy, say), there is no log to remove
  // by: the entries stay, so that the installed uninstaller still can.
  if (!FileExists(ProgramDir() + "setup.log"))
    return Refuse(log, OutcomeMessage(TUninstallOutcome::LogMissing), kExitFileFailed);
  const auto window = OpenWindow(sw, "Uninstall " + name);
  // Cancel stops a removal only before it begins: half removed, an
  // application neither runs nor uninstalls. Once begun, Cancel is greyed.
  if (window && window->Pump())
    return Refuse(log, "Removal cancelled; nothing was removed.", kExitCancelled);
  if (window) window->AllowCancel(false);
  auto step = [&](const char* text) {
    log.Line(text);
    if (window) {
      window->SetText(text);
      window->Pump();
    }
  };
  const TRemoval removal = RemoveApplication(name, ProgramDir(), step);
  log.Line(OutcomeMessage(removal.outcome));
  for (const std::string& path : removal.kept) log.Line(path);
  return removal.outcome == TUninstallOutcome::Removed ||
                 removal.outcome == TUninstallOutcome::KeptChanged
             ? kExitDone
             : kExitFileFailed;
}

}  // namespace

void AddToRunLog(const std::string& path, const std::string& line) {
  RunLog log(path, true);
  log.Line(line);
}

int RefuseUnattended(const TRunSwitches& sw, const std::string& text, int code) {
  RunLog log(sw.LogFile);
  return Refuse(log, text, code);
}

int RunUnattended(const TRunSwitches& sw, const std::string& commandLine) {
  RunLog log(sw.LogFile);
  if (!sw.Error.empty()) return Refuse(log, sw.Error, kExitBadInput);
  try {
    std::string name;
    if (IsUninstallArgument(SplitCommandLine(commandLine), name)) return Uninstall(sw, name, log);
    return Install(sw, log);
  } catch (const std::exception& e) {
    return Refuse(log, e.what(), kExitBadInput);
  }
}
