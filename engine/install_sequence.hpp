// The installation behind the Setup button: files, shortcuts, registry
// entries, the saved log, the result and the launch of the application.
#pragma once

#include <string>

#include "engine/extraction.hpp"
#include "engine/install_log.hpp"
#include "engine/progress.hpp"
#include "engine/setup_rec.hpp"
#include "shell/shell_folders.hpp"

// What the options page said when Setup was pressed, and where things are.
struct TInstallOptions {
  std::string InstPath;  // edPath, as typed
  std::string Folder;    // edFolder
  bool StartUp = false;  // StartBox
  bool Desktop = false;  // DeskTopBox
  bool SendTo = false;   // SendToBox
  bool QuickLaunch = false;
  bool AllUsers = false;    // cbAllUsers
  std::string ProgramPath;  // this program's own file
  std::string ToolPath;     // the unzip tool's temporary file
  TShellFolders Folders;    // where shortcuts go
  bool NoLaunch = false;    // the application is not started at the end
  bool Fast = false;        // one tool run per directory, no pauses between files
};

// How a run of the sequence ended, for callers that report it otherwise
// than on screen.
enum class TInstallResult {
  Completed,
  NoPath,       // no installation path given
  NoSpace,      // not enough free space
  Declined,     // the path question was not answered Yes
  FileError,    // Abort at a file error
  Cancelled,    // Cancel between files
  LogNotSaved,  // setup.log could not be written
};

class TInstaller {
 public:
  TInstaller(TSetupRec& rec, TInstallOptions options, TInstallLog& log, TPrompts& prompts,
             TProgress& progress);

  // The destination checks; false when Setup should stop here.
  bool CheckDestination();
  // Runs the sequence to its end: result box, launch. Throws EEndProgram
  // where the program must end at once.
  void Run();
  // The cancel action's part: stop after the file in hand (or the fast
  // road's tool runs at once), then drop the archive copy.
  void Cancel();
  bool CancelRequested() const { return cancelRequested_; }
  TInstallResult Result() const { return result_; }

  bool InstallFiles();
  void CreateShortcuts();

 private:
  bool SaveLog();
  // Ends the file step early with result: unused directories and the
  // archive copy go. Always false.
  bool StopFiles(TInstallResult result);
  void KeepEarlierRecords();
  // The fast road's tool runs, one per target directory, before the files.
  void PrefetchAll();
  // Removes directories the prefetch made that no installed file needed.
  void RemoveUnusedDirectories();

  TSetupRec& rec_;
  TInstallOptions opt_;
  TInstallLog& log_;
  TPrompts& prompts_;
  TProgress& progress_;
  TExtractor extractor_;
  bool cancelRequested_ = false;
  TInstallResult result_ = TInstallResult::Completed;
  std::vector<std::string> madeByPrefetch_;
  int prefetchedPercent_ = 0;            // the bar never moves back from what the fast road showed
  std::vector<std::string> earlierLog_;  // records of an installation this one replaces
  bool earlierKept_ = false;
  std::string resultMessage_ = "Error - Setup incomplete!";
};
