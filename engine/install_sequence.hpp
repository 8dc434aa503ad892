// The installation behind the Setup button: files, shortcuts, registry
// entries, the saved log, the result and the launch of the application.
#pragma once

#include <set>
#include <string>

#include "engine/extraction.hpp"
#include "engine/file_sums.hpp"
#include "engine/install_log.hpp"
#include "engine/progress.hpp"
#include "engine/registry_entries.hpp"
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
  bool AllUsers = false;  // cbAllUsers
  // User: entries under HKEY_CURRENT_USER and the user's own shortcuts.
  InstallScope Scope = InstallScope::Machine;
  std::string ProgramPath;  // this program's own file
  // Its first bytes that are the program (a single setup file carries its
  // package after them): what is installed as the uninstaller.
  uint64_t ProgramSize = UINT64_MAX;
  // setup.dat; when its path is empty, the file beside the program.
  ArchivePlace Archive;
  std::string ToolPath;   // the unzip tool's temporary file
  TShellFolders Folders;  // where shortcuts go
  bool NoLaunch = false;  // the application is not started at the end
  bool Fast = false;      // in-process extraction, no pauses between files
  // A failed or cancelled run puts back what it changed: files it replaced
  // from backups kept beside them, new files and folders removed, the
  // earlier setup.log and its record untouched.
  bool Rollback = false;
};

// The current user's alone when the command line says /CURRENTUSER, or the
// script Scope=user and the command line not /ALLUSERS; machine-wide else.
InstallScope ScopeOf(const TSetupRec& rec, bool currentUser, bool allUsers);

// Where an install goes unless told: the earlier installation's place in
// that scope; else, for the user alone, <Local AppData>\Programs\<AppName>;
// else the script's path with <program files> filled in.
std::string DefaultInstallPath(const TSetupRec& rec, InstallScope scope,
                               const TShellFolders& folders);

// How a run of the sequence ended, for callers that report it otherwise
// than on screen.
enum class TInstallResult {
  Completed,
  NoPath,       // no installation path given
  NoSpace,      // not enough free space
  NoDrive,      // the path's drive cannot tell its free space
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
  // The cancel action's part: stop after the file in hand (on the fast
  // road at once), then drop the archive copy.
  void Cancel();
  bool CancelRequested() const { return cancelRequested_; }
  TInstallResult Result() const { return result_; }
  // Completed, but a file in use is replaced only at the next restart.
  bool RestartNeeded() const { return extractor_.RestartNeeded(); }

  bool InstallFiles();
  void CreateShortcuts();

 private:
  bool SaveLog();
  // The program's full path, or empty for a package without one.
  std::string ProgramFile() const;
  // Ends the file step early with result: unused directories and the
  // archive copy go. Always false.
  bool StopFiles(TInstallResult result);
  void KeepEarlierRecords();
  // Over an earlier installation: its files this one no longer ships go,
  // while they are as it installed them; changed ones stay in the log.
  void RemoveDroppedFiles();
  // Makes the folders a name with folders needs below dir, noting the new
  // ones for the log.
  void MakeFolders(const std::string& dir, const std::string& relativeFolder);
  // Records the folders made for names with folders, deepest first, after
  // every file that lies in them: the uninstaller removes each once empty.
  void LogMadeFolders();
  // Ends the file step's own work: private directories, folder records.
  void EndFiles();
  // After a failure, with Rollback: every change of the file step undone.
  void RollBack();
  bool rolledBack_ = false;
  std::vector<std::string> madeInstDirs_;  // levels of the path this run made, deepest first

  TSetupRec& rec_;
  TInstallOptions opt_;
  TInstallLog& log_;
  TPrompts& prompts_;
  TProgress& progress_;
  TExtractor extractor_;
  bool cancelRequested_ = false;
  TInstallResult result_ = TInstallResult::Completed;
  std::vector<std::string> madeFolders_;  // in the order made, parents first
  std::set<std::string> knownDirs_;       // asked for or made by this run
  std::set<std::string> madeGroupDirs_;   // groups' directories this run made
  std::vector<std::string> earlierLog_;   // records of an installation this one replaces
  TFileSums earlierSums_;                 // and its record of files
  TFileSums sums_;                        // of the files this run installed
  bool earlierKept_ = false;
  std::string resultMessage_ = "Error - Setup incomplete!";
};
