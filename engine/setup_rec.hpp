// The setup record read from setup.ini, its key=value line lists, the
// number syntax of its booleans, and the path macros. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// Texts taken from the script have room for this many characters.
constexpr size_t kShortStringMax = 255;

// Texts are UTF-8: s cut after its first count characters (code points),
// never inside one.
std::string CutToCharacters(const std::string& s, size_t count);
// Cuts s to its first kShortStringMax characters.
std::string ShortString(const std::string& s);

// Ordered key=value lines; keys compare without regard to letter case.
class TLineList {
 public:
  // The text after the first "=" of the first line whose key matches.
  std::string Get(const std::string& key) const;
  // A non-empty value replaces or appends the line; an empty one deletes it.
  void Set(const std::string& key, const std::string& value);
  size_t Count() const { return lines_.size(); }
  const std::vector<std::string>& Lines() const { return lines_; }
  std::vector<std::string>& Lines() {
    indexed_ = false;  // the caller may change keys
    return lines_;
  }

 private:
  // Index of the first line whose key (text before its first "=") is key.
  ptrdiff_t Find(const std::string& key) const;

  std::vector<std::string> lines_;
  // Lower-cased key to its first line, so that thousands of files do not
  // cost a scan of every line per lookup; rebuilt when it may be stale.
  mutable std::unordered_map<std::string, size_t> index_;
  mutable bool indexed_ = false;
};

struct TSetupRec {
  std::string AppName;
  std::string InstPath;
  std::string FolderName;
  std::string DiskSpace;
  bool RunOnStart = false;
  bool OnDesktop = false;
  bool OnQuickLaunch = false;
  bool OnStartMenu = false;
  // Optional keys for deployment: the Add/Remove entry's version, publisher
  // and web address, and the fast extraction road for interactive installs.
  std::string Version;
  std::string Publisher;
  std::string URL;
  bool FastInstall = false;
  // Interactive installs that fail or are cancelled put back what they
  // changed, as unattended ones always do.
  bool Rollback = false;
  // Scope=user: installed for the current user alone, without administrator
  // rights, unless the command line asks for all users.
  bool UserScope = false;
  // The program below the installation directory that is started at the
  // end and named by App Paths, DisplayIcon and the StartUp shortcut:
  // "<AppName>.exe" unless the script says otherwise; empty for a package
  // without a program of its own ("Program=" with nothing after it).
  std::string Program;
  TLineList Groups;
  TLineList Files;
  // Why the script's text is not what its byte order mark says, or empty.
  std::string TextProblem;

  // Entries are counted from stored lines: two per group, four per file.
  size_t GroupCount() const { return (Groups.Count() + 1) / 2; }
  size_t FileCount() const { return (Files.Count() + 3) / 4; }
};

// The largest buffer key names are read into: 16 MiB, far beyond any script.
constexpr size_t kMaxKeysBuffer = size_t{16} << 20;

// What the reader needs of a profile (INI) file.
class TProfileSource {
 public:
  virtual ~TProfileSource() = default;
  // Value of key in section, or def; at most 1,023 characters.
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) = 0;
  // Key names of section in file order, as far as kMaxKeysBuffer bytes
  // (names with their terminators) hold them.
  virtual std::vector<std::string> ReadKeys(const std::string& section) = 0;
  // Why the file's text cannot be read exactly as its byte order mark
  // says, or empty.
  virtual std::string TextProblem() const = 0;
};

// An application name names registry keys, the mutex and folders: it must
// not be empty or all blanks, nor hold "\", "/" or a control character (it
// could name a parent key, the whole Uninstall key, instead of its own),
// and it must name a folder of its own: none of < > : " | ? *, not "." or
// "..", no dot or blank at its end, no device name such as CON or LPT1.
// AppNameProblem says what is wrong, or nothing.
std::string AppNameProblem(const std::string& name);
bool IsValidAppName(const std::string& name);

// Why setup must refuse to start with this script, or empty: text that is
// not what its byte order mark says, an invalid AppName, or a Program that
// is no path below the installation directory.
std::string ScriptError(const TSetupRec& rec);

// Whole-number syntax of the booleans: decimal with one optional sign, or
// "$"/"0x" hexadecimal, after optional leading blanks; 32 bits. false if not
// a number.
bool TryStrToInt(const std::string& text, int& value);
// The same syntax without "0x", in 64 bits ("$" takes up to 16 digits).
bool TryStrToInt64(const std::string& text, int64_t& value);
// True when text has that syntax but its value is beyond the 64-bit range.
bool IsOutOfRangeNumber(const std::string& text);

// Fills rec from the profile: MAIN texts and booleans, then GROUPS and FILES
// into the line lists; the last character of every FILES value is dropped.
void LoadSetupRec(TSetupRec& rec, TProfileSource& profile);

// Replaces the first occurrence of macro (found ignoring letter case) by
// replacement and cuts the result to capacity characters.
void ReplaceMacro(std::string& text, size_t capacity, const std::string& macro,
                  const std::string& replacement);

// Expands "<application path>", "<system>" and "<windir>" in every Dir<n>.
void ExpandGroupDirs(TSetupRec& rec, const std::string& appPath, const std::string& windowsDir);

// The directory of the first group named exactly groupName, else instPath.
std::string GroupDir(const TSetupRec& rec, const std::string& groupName,
                     const std::string& instPath);
