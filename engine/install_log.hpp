// The installation log: an append-only list of lines, saved as setup.log
// with CR LF after every line. Record lines name what the uninstaller
// deletes. Portable.
#pragma once

#include <string>
#include <vector>

enum class TLogRecord {
  None,        // a comment for people
  FileAndDir,  // ">>>> ": delete the file, then its directory once empty
  File,        // ">> ": delete the file only
  Folder,      // ">>>> " and a path ending in "\": a folder made for files; remove it once empty
};

class TInstallLog {
 public:
  void Add(const std::string& line) { lines_.push_back(line); }
  const std::vector<std::string>& Lines() const { return lines_; }

  // The file's bytes: every line, the last included, ends with CR LF.
  std::string Text() const;
  // Writes the file, replacing one of that name; false on failure.
  bool SaveToFile(const std::string& path) const;

  // Splits a file's text at CR LF, lone CR or lone LF.
  static std::vector<std::string> SplitLines(const std::string& text);
  // Reads a whole file into lines; false when it cannot be read.
  static bool LoadFromFile(const std::string& path, std::vector<std::string>& lines);

  // The kind of a line and, for a record, the path it names.
  static TLogRecord Classify(const std::string& line, std::string& path);

  // Appends the record lines of an earlier installation's log whose path
  // (without regard to ASCII case) this log does not already remove as
  // thoroughly, after the comment "Kept from the earlier installation:", so
  // that one uninstall removes both. Nothing is added when nothing is
  // missing; returns the count kept.
  size_t KeepEarlierRecords(const std::vector<std::string>& earlier);

 private:
  std::vector<std::string> lines_;
};
