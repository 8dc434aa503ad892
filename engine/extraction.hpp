// Getting files out of setup.dat: on the paced road with the carried unzip
// tool, one run per file; on the fast road in-process, with minizip.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_sums.hpp"
#include "engine/install_log.hpp"
#include "engine/progress.hpp"
#include "engine/unzip_command.hpp"
#include "engine/zip_reader.hpp"
#include "shell/owned.hpp"

class TExtractor {
 public:
  // archive is setup.dat, a file or a range of one; toolPath is the unzip
  // tool's file. inProcess takes the fast road: setup.dat is read here, no
  // tool runs.
  TExtractor(ArchivePlace archive, std::string toolPath, TPrompts& prompts, TProgress& progress,
             TInstallLog& log, bool inProcess = false);
  ~TExtractor();
  TExtractor(TExtractor&&) noexcept;

  // Chooses the archive to read: where it lies when it is a file of its own
  // on a lettered drive, else (for the tool) a copy in the tool's directory.
  // Throws EEndProgram when the copy fails.
  void PrepareArchive();
  // Extracts name (a file name, or a path below dir with "\" between its
  // parts) into dir; true when the file is there. The file is written into
  // a private directory beside its target and moved into place only then:
  // a failure leaves neither a cut-off file nor a damaged older one. Throws
  // EEndProgram, after BeforeEnd (which saves the log), for a tool command
  // line of 256 characters or more, or a target path longer than the
  // system allows. LastErrorText() then tells why.
  bool ExtractFile(const std::string& name, const std::string& dir);
  void RemoveArchiveCopy();
  // Removes the private directories (at the end of the file step).
  void DropScratch();

  const std::string& ArchivePath() const { return archivePath_; }
  // Where the last file extracted lies: its target, or, when the target was
  // in use, the staged copy that replaces it at the next restart.
  const std::string& PlacedFile() const { return placedFile_; }
  // The size and SHA-256 of the last file extracted, when the fast road
  // took them as it wrote the file.
  const TFileSum* PlacedSum() const { return placedSumKnown_ ? &placedSum_ : nullptr; }
  // Some file of this run waits for a restart to replace the one in use.
  bool RestartNeeded() const { return restartNeeded_; }
  // With backups on, a file that is replaced first moves to a hidden name
  // beside itself, and what was placed is remembered: RollBack() then puts
  // every earlier file back and removes the new ones, DropBackups() deletes
  // the backups once the run has succeeded.
  void KeepBackups() { keepBackups_ = true; }
  void RollBack();
  void DropBackups();
  unsigned long LastError() const { return lastError_; }
  // The first line of the file error box: "Error <code>", or what went
  // wrong when there is no code to tell.
  const std::string& LastErrorText() const { return lastErrorText_; }
  std::function<void()> BeforeEnd;
  // Asked while a large file is written on the fast road: true ends it at
  // once (it then fails with ERROR_CANCELLED).
  std::function<bool()> Stopped;
  // The tool is ended after this long without its file appearing or
  // growing.
  unsigned long StallLimitMs = 10000;

 private:
  void OpenReader();
  bool ToolCanTake(const std::string& name, const std::string& dir) const;
  bool ExtractWithTool(const std::string& name, const std::string& dir);
  bool ExtractInProcess(const std::string& name, const std::string& dir);
  [[noreturn]] void EndForLength(const std::string& message);
  // Runs the tool and waits for it; its exit code, or 258 (WAIT_TIMEOUT)
  // when it was ended for stalling.
  // progress is probed every 100 ms: any change counts as the tool working.
  unsigned long RunTool(const std::string& params, const std::function<int64_t()>& progress);
  void Fail(unsigned long code, const std::string& text = "");
  // Moves the extracted name from scratch to dir; false with the reason set.
  bool PlaceFile(const std::string& name, const std::string& scratch, const std::string& dir);
  // A target that a running program holds cannot be replaced now: the new
  // file (moved by move(staged path)) waits beside it, hidden, and replaces
  // it when Windows restarts. True when that is arranged; error is why the
  // target could not be replaced.
  bool StageForRestart(unsigned long error, const std::string& target,
                       const std::function<bool(const std::string&)>& move);
  // Puts a new file at target through place(); with backups on, an earlier
  // file there is moved aside first and put back should place() fail.
  bool Replace(const std::string& target, const std::function<bool()>& place);

  class PrivateDirectory;
  // The fast road's private directory in each target directory.
  std::map<std::string, std::unique_ptr<PrivateDirectory>> scratch_;

  ArchivePlace source_;
  std::string toolPath_, archivePath_;
  TPrompts& prompts_;
  TProgress& progress_;
  TInstallLog& log_;
  bool inProcess_;
  ZipReader reader_;
  unsigned long lastError_ = 0;
  std::string lastErrorText_;
  std::string placedFile_;
  TFileSum placedSum_;
  bool placedSumKnown_ = false;
  bool restartNeeded_ = false;
  OwnedHandle archiveHold_;  // the tool's copy of the archive, read-only to all
  bool keepBackups_ = false;
  struct Placed {
    std::string target, backup;    // backup empty: the file is new
    unsigned long attributes = 0;  // the earlier file's
  };
  std::vector<Placed> placed_;  // in the order placed
};
