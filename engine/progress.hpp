// How the engine talks to the window: message boxes (prompts) and the
// status line and progress bar (progress). Tests supply their own.
#pragma once

#include <string>

class TPrompts {
 public:
  enum Answer { Yes, No, Cancel, Abort, Ignore };
  virtual ~TPrompts() = default;
  virtual void Message(const std::string& text) = 0;          // OK only
  virtual Answer Question(const std::string& text) = 0;       // Yes, No, Cancel
  virtual Answer AbortOrIgnore(const std::string& text) = 0;  // per-file errors
};

class TProgress {
 public:
  virtual ~TProgress() = default;
  virtual void Status(const std::string& text) = 0;  // the status line
  virtual void FileProgress(int percent) = 0;        // the file progress bar
  virtual void ProcessPendingInput() = 0;            // let clicks through now
};

// Ends the program at once with an exit code, after the engine has done
// what must survive (such as saving the log). The window catches it.
struct EEndProgram {
  enum Reason { kArchiveNotCopied, kPathTooLong };
  int exitCode;
  Reason reason;
};
