// Getting one file out of setup.dat with the carried unzip tool.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/install_log.hpp"
#include "engine/progress.hpp"
#include "engine/unzip_command.hpp"

class TExtractor {
 public:
  // programDir ends with a backslash; toolPath is the unzip tool's file.
  TExtractor(std::string programDir, std::string toolPath, TPrompts& prompts, TProgress& progress,
             TInstallLog& log);
  ~TExtractor();
  TExtractor(TExtractor&&) noexcept;

  // Chooses the archive to read: beside the program on a lettered drive,
  // else a copy in the tool's directory. Throws EEndProgram when the copy
  // fails.
  void PrepareArchive();
  // Extracts name into dir; true when the tool ended well and the file is
  // there. The tool writes into a private directory beside the target and
  // the file is moved into place only then: a failed run leaves neither a
  // cut-off file nor a damaged older one. Throws EEndProgram for a command
  // line of 256 characters or more, after BeforeEnd (which saves the log).
  // LastErrorText() then tells why.
  bool ExtractFile(const std::string& name, const std::string& dir);
  void RemoveArchiveCopy();

  // The fast road: one tool run for all of dir's members (more where the
  // command line would grow too long), into a private directory that the
  // following ExtractFile calls for dir take their files from. Where that
  // run failed, they fall back to one run per file. Prefetch prepares the
  // runs; RunPrefetches runs all prepared ones, several at once, and waits.
  void Prefetch(const std::vector<std::string>& names, const std::string& dir);
  void RunPrefetches();
  // Drops what the prefetches left (their private directories).
  void DropPrefetched();

  const std::string& ArchivePath() const { return archivePath_; }
  unsigned long LastError() const { return lastError_; }
  // The first line of the file error box: "Error <code>", or what went
  // wrong when there is no code to tell.
  const std::string& LastErrorText() const { return lastErrorText_; }
  std::function<void()> BeforeEnd;
  // Asked between waits of RunPrefetches: true ends the runs at once (their
  // files then fail).
  std::function<bool()> Stopped;
  // While the fast road's runs go on: how many of their files have appeared.
  std::function<void(size_t done, size_t total)> Extracted;
  // The tool is ended after this long without its file appearing or
  // growing.
  unsigned long StallLimitMs = 10000;

 private:
  std::string SourceArchive() const { return programDir_ + "setup.dat"; }
  // Runs the tool and waits for it; its exit code, or 258 (WAIT_TIMEOUT)
  // when it was ended for stalling.
  // progress is probed every 100 ms: any change counts as the tool working.
  unsigned long RunTool(const std::string& params, const std::function<int64_t()>& progress);
  // Starts the tool without a console; its process handle, or null.
  void* StartDetachedTool(const std::string& params);
  void Fail(unsigned long code, const std::string& text = "");
  // Moves the extracted name from scratch to dir; false with the reason set.
  bool PlaceFile(const std::string& name, const std::string& scratch, const std::string& dir);

  struct Batch;
  std::map<std::string, std::unique_ptr<Batch>> prefetched_;

  std::string programDir_, toolPath_, archivePath_;
  TPrompts& prompts_;
  TProgress& progress_;
  TInstallLog& log_;
  unsigned long lastError_ = 0;
  std::string lastErrorText_;
};
