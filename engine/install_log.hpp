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

// How text meets the ANSI code page; the Windows side gives the system's.
struct TAnsiCodec {
  // utf8 in the code page, false when some character has no exact form.
  bool (*toAnsi)(const std::string& utf8, std::string& ansi);
  std::string (*fromAnsi)(const std::string& ansi);
};

class TInstallLog {
 public:
  void Add(const std::string& line) { lines_.push_back(line); }
  const std::vector<std::string>& Lines() const { return lines_; }

  // The text: every line, the last included, ends with CR LF.
  std::string Text() const;
  // setup.log's bytes: the text in the ANSI code page, as it always was,
  // when every character has its form there; else UTF-8 after a byte order
  // mark.
  std::string FileBytes(const TAnsiCodec& codec) const;
  // The lines of setup.log's bytes, of either form.
  static std::vector<std::string> LinesOfFile(const std::string& bytes, const TAnsiCodec& codec);

  // Splits a file's text at CR LF, lone CR or lone LF.
  static std::vector<std::string> SplitLines(const std::string& text);

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
