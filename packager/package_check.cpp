// The package check.
#include "packager/package_check.hpp"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

#include "engine/destination.hpp"
#include "engine/file_names.hpp"
#include "engine/setup_rec.hpp"
#include "engine/text_codes.hpp"
#include "engine/unzip_command.hpp"
#include "packager/folder.hpp"
#include "packager/install_names.hpp"
#include "packager/safe_files.hpp"
#include "packager/zip_archive.hpp"
#include "setup/ini_file.hpp"
#include "shell/link_rules.hpp"

namespace qpack {

namespace {

const std::vector<std::string> kGroupStems = {"Name", "Dir"};
const std::vector<std::string> kFileStems = {"Name", "Group", "ShortCut", "Descritpion"};

// "Name12" is stem "Name", number 12; numbers are written without leading
// zeros, as setup builds the keys it looks up.
bool SplitKey(const std::string& key, const std::vector<std::string>& stems, std::string& stem,
              size_t& number) {
  const size_t digits = key.find_last_not_of("0123456789") + 1;
  if (digits == 0 || digits == key.size() || key.size() - digits > 9) return false;
  if (key[digits] == '0' && key.size() - digits > 1) return false;
  for (const std::string& s : stems)
    if (SameTextAscii(key.substr(0, digits), s)) {
      stem = s;
      number = std::stoul(key.substr(digits));
      return true;
    }
  return false;
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// A Windows path as the system resolves it, for comparing: letter case,
// doubled or trailing backslashes and "." parts make no difference, and
// ".." goes up.
std::string PathKey(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find_first_of("\\/", start), path.size());
    const std::string part = FoldCase(path.substr(start, end - start));
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string key;
  for (const std::string& part : parts) key += (key.empty() ? "" : "\\") + part;
  return key;
}

// The script, or an empty one (with an error) when it cannot be read as a
// regular file within the size limit.
TIniFile ReadScript(const std::string& path, Report& report, bool& unread) {
  if (!IsFile(path)) return TIniFile("");
  try {
    return TIniFile(ReadRegularFile(path, kMaxScriptBytes));
  } catch (const std::exception& e) {
    report.Error("setup.ini", 0, "", e.what());
    unread = true;
    return TIniFile("");
  }
}

class Checker {
 public:
  Checker(const std::string& dir, const CheckOptions& opt, Report& report)
      : dir_(dir),
        opt_(opt),
        report_(report),
        ini_(ReadScript(dir + "/setup.ini", report, scriptUnread_)) {}

  void Run() {
    if (!IsFile(dir_ + "/setup.exe")) report_.Error("setup.exe", 0, "", "missing from the package");
    if (!IsFile(dir_ + "/setup.ini")) {
      report_.Error("setup.ini", 0, "", "missing from the package: setup stops at start");
      return;
    }
    if (scriptUnread_) return;
    LoadSetupRec(rec_, ini_);
    if (!rec_.TextProblem.empty())
      report_.Error("setup.ini", 0, "", rec_.TextProblem + ": setup refuses to install");
    ReadArchive();
    CheckMain();
    CheckKeys("GROUPS", kGroupStems, rec_.GroupCount());
    CheckGroupDirs();
    CheckKeys("FILES", kFileStems, rec_.FileCount());
    CheckEntries();
    CheckFilesValueEnds();
    CheckDiskSpace();
    CheckLeftoverMembers();
    if (ini_.AnsiAbove127())
      report_.Warning("setup.ini", 0, "",
                      "holds bytes above 127 but no byte order mark: setup reads it in the end "
                      "user's ANSI code page, which may show other letters; save it as UTF-8 "
                      "with a mark");
    if (!IsFile(dir_ + "/license.txt"))
      report_.Warning("license.txt", 0, "", "missing: the package shows no licence agreement");
    else
      CheckLicence();
    VerifySignature();
  }

 private:
  void CheckLicence() {
    try {
      const std::string why =
          MarkedTextProblem(ReadRegularFile(dir_ + "/license.txt", kMaxScriptBytes));
      if (!why.empty())
        report_.Error("license.txt", 0, "", why + ": the licence window would show other text");
    } catch (const std::exception& e) {
      report_.Error("license.txt", 0, "", e.what());
    }
  }

  size_t Line(const std::string& section, const std::string& key) const {
    const std::vector<size_t> lines = ini_.LinesOf(section, key);
    return lines.empty() ? ini_.SectionLine(section) : lines.front();
  }
  void Error(const std::string& section, const std::string& key, const std::string& text) {
    report_.Error("setup.ini", Line(section, key), section + " " + key, text);
  }
  void Warning(const std::string& section, const std::string& key, const std::string& text) {
    report_.Warning("setup.ini", Line(section, key), section + " " + key, text);
  }
  std::string Raw(const std::string& section, const std::string& key) {
    return ini_.ReadString(section, key, "");
  }

  void ReadArchive() {
    if (!IsFile(dir_ + "/setup.dat")) {
      report_.Error("setup.dat", 0, "", "missing from the package: no file can be installed");
      return;
    }
    try {
      for (ZipMember& m : ReadZip(dir_ + "/setup.dat")) {
        if (m.method != 0 && m.method != 8)
          report_.Error("setup.dat", 0, m.name,
                        "compressed by method " + std::to_string(m.method) +
                            ", which the unzip tool cannot read (only stored or deflated)");
        else if (m.unverified)
          report_.Warning("setup.dat", 0, m.name,
                          "not read through: it unpacks to " + std::to_string(m.size) +
                              " bytes, more than the check reads of an archive this size; setup "
                              "still checks its CRC as it installs it");
        else if (!m.intact)
          report_.Error("setup.dat", 0, m.name, m.problem);
        // The unzip tool matches without regard to case and extracts the
        // later of two: the check would judge the other.
        const std::string name = m.name;
        byBase_.emplace(FoldCase(BaseName(name)), name);
        if (!members_.emplace(FoldCase(name), std::move(m)).second)
          report_.Error("setup.dat", 0, name,
                        "a second member of this name (letter case aside): setup would install "
                        "one of the two, and the check judges the other");
      }
      haveArchive_ = true;
    } catch (const std::exception& e) {
      report_.Error("setup.dat", 0, "", e.what());
    }
  }
  const ZipMember* Member(const std::string& name) const {
    const auto it = members_.find(FoldCase(name));  // the tool matches with -C
    return it == members_.end() ? nullptr : &it->second;
  }

  void CheckMain() {
    if (Raw("MAIN", "AppName").empty())
      Error("MAIN", "AppName", "missing or empty: setup refuses to install");
    else if (const std::string why = AppNameProblem(rec_.AppName); !why.empty())
      Error("MAIN", "AppName", why + ": setup refuses to install");
    if (rec_.Program.empty())
      Warning("MAIN", "Program",
              "empty: the package has no program of its own, so nothing is started at the end "
              "and no App Paths key or StartUp shortcut is written");
    else if (std::string why; RelativePath(rec_.Program, &why).empty())
      Error("MAIN", "Program", Quote(rec_.Program) + " " + why + ": setup refuses to install");
    if (const std::string scope = FoldCase(Raw("MAIN", "Scope"));
        !scope.empty() && scope != FoldCase("user") && scope != FoldCase("machine"))
      Warning("MAIN", "Scope",
              Quote(Raw("MAIN", "Scope")) +
                  " is neither user nor machine: setup installs for all users (machine)");
    if (rec_.InstPath.empty())
      Warning("MAIN", "InstPath",
              "missing or empty: the user must type a path, and /S without /D= fails");
    instPath_ = rec_.InstPath;
    ReplaceMacro(instPath_, kShortStringMax, "<program files>", opt_.programFiles);
    expanded_ = rec_;
    ExpandGroupDirs(expanded_, instPath_, opt_.windowsDir);
  }

  // Keys of a numbered section: unknown ones, missing ones, gaps, and
  // entries beyond the count that setup takes from the number of lines.
  void CheckKeys(const std::string& section, const std::vector<std::string>& stems,
                 size_t visited) {
    std::map<size_t, std::set<std::string>> present;
    std::set<std::string> seen;
    for (const std::string& key : ini_.ReadKeys(section)) {
      if (!seen.insert(LowerAscii(key)).second) continue;
      const std::vector<size_t> lines = ini_.LinesOf(section, key);
      if (lines.size() > 1)
        report_.Warning(
            "setup.ini", lines[1], section + " " + key,
            "written twice: setup uses the first value, on line " + std::to_string(lines[0]));
      if (Raw(section, key).empty()) continue;  // an empty value is not stored
      std::string stem;
      size_t number = 0;
      if (SplitKey(key, stems, stem, number)) {
        present[number].insert(stem);
      } else {
        std::string text = "not a key of [" + section + "] (" + stems[0] + "<n>";
        for (size_t i = 1; i < stems.size(); ++i) text += ", " + stems[i] + "<n>";
        text += "), but setup counts its line, which shifts the number of entries it reads";
        if (LowerAscii(key).rfind("description", 0) == 0)
          text += " (the key is spelled Descritpion<n>)";
        Error(section, key, text);
      }
    }
    const size_t numbered = present.empty() ? 0 : present.rbegin()->first + 1;
    // The key that stands for entry n in messages: its first present stem.
    auto keyOf = [&](size_t n) {
      for (const std::string& stem : stems)
        if (present[n].count(stem)) return stem + std::to_string(n);
      return stems[0] + std::to_string(n);
    };
    const std::string entry = section == "FILES" ? "file " : "group ";
    // Only the numbers that are there are visited: a key may carry a number
    // in the billions.
    size_t next = 0;  // the number that should come next
    for (const auto& [n, here] : present) {
      const std::string num = std::to_string(n);
      if (n > next)  // one line for a whole gap
        Error(section, stems[0] + std::to_string(next),
              "no " + entry + std::to_string(next) +
                  (n - 1 > next ? " to " + std::to_string(n - 1) : "") +
                  ": entries are numbered from 0 without gaps");
      next = n + 1;
      for (const std::string& stem : stems)
        if (!here.count(stem))
          report_.Error("setup.ini", Line(section, keyOf(n)), section + " " + stem + num,
                        "missing or empty: every entry needs all its keys with a value, or "
                        "setup counts too few entries");
    }
    const size_t lines = section == "FILES" ? rec_.Files.Count() : rec_.Groups.Count();
    for (auto it = present.lower_bound(visited); it != present.end(); ++it)
      Error(section, keyOf(it->first),
            entry + std::to_string(it->first) + " is never read: setup counts " +
                std::to_string(visited) + " entries from the " + std::to_string(lines) +
                " lines of [" + section + "]");
    if (section == "FILES") {
      filesNumbered_ = numbered;
      for (size_t n = numbered; n < std::max<size_t>(visited, lines == 0 ? 1 : 0); ++n)
        Error(section, "Name" + std::to_string(n),
              lines == 0 ? "no files: setup fails on an empty entry 0"
                         : "setup reads file " + std::to_string(n) +
                               ", which has no keys (other lines count too): it fails to "
                               "extract it");
    }
  }

  void CheckGroupDirs() {
    for (size_t k = 0; k < rec_.GroupCount(); ++k) {
      const std::string key = "Dir" + std::to_string(k);
      const std::string dir = LowerAscii(rec_.Groups.Get(key));
      for (const char* macro : {"<application path>", "<system>", "<windir>"})
        if (dir.find(macro) != std::string::npos &&
            rec_.Groups.Get(key).find(macro) == std::string::npos)
          Error("GROUPS", key,
                std::string("writes ") + macro +
                    " in capitals: setup replaces it only in small letters");
    }
  }

  bool IsGroupName(const std::string& name) const {
    for (size_t k = 0; k < rec_.GroupCount(); ++k)
      if (rec_.Groups.Get("Name" + std::to_string(k)) == name) return true;
    return false;
  }

  void CheckEntries() {
    std::map<std::string, size_t> targets;
    bool launchable = false, mainShortcut = false;
    const bool toolRoad = !rec_.FastInstall;
    const std::string program = RelativePath(rec_.Program);
    const std::string launch = program.empty() ? "" : PathKey(instPath_ + "\\" + program);
    for (size_t n = 0; n < std::min(rec_.FileCount(), filesNumbered_); ++n) {
      const std::string num = std::to_string(n);
      const std::string name = rec_.Files.Get("Name" + num);
      const std::string group = rec_.Files.Get("Group" + num);
      const std::string shortcut = rec_.Files.Get("ShortCut" + num);
      if (shortcut == "Yes" && rec_.Files.Get("Descritpion" + num) == rec_.AppName)
        mainShortcut = true;
      if (!shortcut.empty() && shortcut != "Yes" && shortcut != "No")
        Warning("FILES", "ShortCut" + num,
                "reads " + Quote(shortcut) + ": only Yes makes a shortcut (letter case counts)");
      if (group != "Main" && !group.empty() && !IsGroupName(group)) {
        std::string text =
            "names no [GROUPS] entry (nor Main): the file goes into the "
            "installation path";
        if (IsGroupName(Raw("FILES", "Group" + num)))
          text += "; the value lacks its extra last character";
        Error("FILES", "Group" + num, text);
      }
      if (name.empty()) {
        if (!Raw("FILES", "Name" + num).empty())
          Error("FILES", "Name" + num, "holds only the extra character: setup reads no name");
        continue;
      }
      if (const std::string problem = NameProblem(name, toolRoad); !problem.empty()) {
        Error("FILES", "Name" + num, problem);
        continue;
      }
      const std::string path = HasFolderPart(name) ? RelativePath(name) : name;
      CheckMember(num, path);
      const std::string dir = GroupDir(expanded_, group, instPath_);
      const std::string target = PathKey(dir + "\\" + path);
      if (const auto [it, added] = targets.emplace(target, n); !added)
        Error("FILES", "Name" + num,
              "installs to the same file as Name" + std::to_string(it->second) + " (" + dir + "\\" +
                  path + ")");
      if (target == launch) launchable = true;
      if (const size_t full = Utf16Length(dir) + 1 + Utf16Length(path); full > kMaxInstalledPath)
        Error("FILES", "Name" + num,
              "installs to a path of " + std::to_string(full) +
                  " characters with the default "
                  "path " +
                  dir + ": setup stops with \"Path too long!\" beyond " +
                  std::to_string(kMaxInstalledPath));
      // Only the paced road runs the unzip tool, whose command line is limited,
      // and only for ASCII names; the limit counts the bytes it gets in the
      // ANSI code page, one per character.
      const std::string parameters = UnzipParameters(opt_.archive, MemberName(path), dir);
      const size_t length = static_cast<size_t>(std::count_if(
          parameters.begin(), parameters.end(), [](char c) { return (c & 0xC0) != 0x80; }));
      const bool toolGets = toolRoad && std::all_of(name.begin(), name.end(), [](char c) {
                              return static_cast<unsigned char>(c) < 0x80;
                            });
      if (toolGets && length >= kUnzipParametersLimit)
        Error("FILES", "Name" + num,
              "the unzip command line for this file takes " + std::to_string(length) +
                  " characters (setup stops with \"Path too long!\" from " +
                  std::to_string(kUnzipParametersLimit) + " on) with the default path " + dir +
                  " and setup.dat in a download folder; shorten InstPath or the group's Dir, or "
                  "set FastInstall=1");
    }
    // Windows tells no file from a folder of the same name, letter case aside.
    for (const auto& [target, n] : targets)
      for (size_t sep = target.rfind('\\'); sep != std::string::npos && sep > 0;
           sep = target.rfind('\\', sep - 1))
        if (const auto it = targets.find(target.substr(0, sep)); it != targets.end())
          Error("FILES", "Name" + std::to_string(it->second),
                "installs a file where Name" + std::to_string(n) +
                    " needs a folder (letter case makes no difference on Windows)");
    if (!launch.empty() && !launchable)
      Error("MAIN", "Program",
            "no FILES entry installs " + Quote(rec_.Program) +
                " below the installation path: setup's launch at the end fails");
    if ((rec_.OnDesktop || rec_.OnQuickLaunch || rec_.OnStartMenu) && !mainShortcut)
      Warning("MAIN",
              rec_.OnDesktop       ? "OnDesktop"
              : rec_.OnQuickLaunch ? "OnQuickLaunch"
                                   : "OnStartMenu",
              "these shortcuts copy the program-folder shortcut named after AppName, which no "
              "FILES entry makes (ShortCut<n> Yes with Descritpion<n> equal to AppName)");
  }

  void CheckMember(const std::string& num, const std::string& path) {
    if (!haveArchive_) return;
    const std::string name = MemberName(path);
    if (const ZipMember* m = Member(name)) {
      unpacked_ += m->size;
      used_.insert(FoldCase(m->name));
      return;
    }
    std::string text = "no member " + Quote(name) + " in setup.dat";
    const std::string raw = Raw("FILES", "Name" + num);
    std::string nested;
    if (const auto it = byBase_.find(FoldCase(name)); it != byBase_.end() && !HasFolderPart(name))
      nested = it->second;
    if (Member(raw))
      text += ": the value lacks its extra last character (setup reads " + Quote(name) +
              "; write " + Quote(raw + "*") + ")";
    else if (!nested.empty())
      text += ": it is there inside a folder, as " + Quote(nested) +
              "; a name with its folder installs it (" + Backslashed(nested) + ")";
    Error("FILES", "Name" + num, text);
  }

  // Whether the value of a FILES key, its last character dropped, is shown
  // right by the package: a member, a group, Yes or No.
  bool ReadsRight(const std::string& key) const {
    std::string stem;
    size_t number = 0;
    const std::string value = rec_.Files.Get(key);
    if (!SplitKey(key, kFileStems, stem, number) || value.empty()) return false;
    if (stem == "Name")
      return haveArchive_ && Member(MemberName(HasFolderPart(value) ? RelativePath(value) : value));
    if (stem == "Group") return value == "Main" || IsGroupName(value);
    if (stem == "ShortCut") return value == "Yes" || value == "No";
    return false;
  }

  // Setup drops the last character of every FILES value: one that does
  // not end like the others most likely lacks it, unless what remains is
  // shown to be right.
  void CheckFilesValueEnds() {
    std::vector<std::pair<std::string, char>> ends;
    std::map<char, size_t> counts;
    std::set<std::string> seen;
    for (const std::string& key : ini_.ReadKeys("FILES")) {
      std::string stem;
      size_t number = 0;
      const std::string raw = Raw("FILES", key);
      if (!seen.insert(LowerAscii(key)).second || raw.empty() ||
          !SplitKey(key, kFileStems, stem, number))
        continue;
      ends.emplace_back(key, raw.back());
      ++counts[raw.back()];
    }
    if (counts.size() < 2) return;
    const char common = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                        })->first;
    for (const auto& [key, end] : ends)
      if (end != common && !ReadsRight(key))
        Error("FILES", key,
              std::string("ends in '") + end + "' where the other values end in '" + common +
                  "': setup drops the last character of every FILES value, so each needs one "
                  "extra character");
  }

  void CheckDiskSpace() {
    if (!haveArchive_) return;
    const std::string& text = rec_.DiskSpace;
    int64_t space = 0;
    const bool number = TryStrToInt64(text, space);
    if (IsOutOfRangeNumber(text) || (number && space < 0 && text.find('$') != std::string::npos)) {
      Error("MAIN", "DiskSpace",
            "beyond the 64-bit range: setup asks for more space than any drive has");
      return;
    }
    if (!number) {
      space = kDefaultDiskSpace;
      Warning("MAIN", "DiskSpace", "not a number: setup assumes " + std::to_string(space));
    }
    if (space < 0 || static_cast<uint64_t>(space) < unpacked_)
      Error("MAIN", "DiskSpace",
            std::to_string(space) + " is less than the " + std::to_string(unpacked_) +
                " bytes that the files take unpacked");
  }

  void CheckLeftoverMembers() {
    for (const auto& [lower, m] : members_)
      if (!used_.count(lower))
        report_.Warning("setup.dat", 0, m.name, "no FILES entry installs this member");
  }

  void VerifySignature() {
    if (!opt_.verifySignature) return;
    std::vector<std::string> lines;
    opt_.verifySignature(dir_, lines);
    // Lines come as "FILE: error: text" or "FILE: warning: text".
    for (const std::string& line : lines) {
      const bool error = line.find(": error: ") != std::string::npos;
      const std::string mark = error ? ": error: " : ": warning: ";
      const size_t at = line.find(mark);
      const std::string text = at == std::string::npos ? line : line.substr(at + mark.size());
      report_.Add({"setup.exe", 0, "", error ? Severity::Error : Severity::Warning, text});
    }
  }

  const std::string dir_;
  const CheckOptions& opt_;
  Report& report_;
  bool scriptUnread_ = false;
  TIniFile ini_;
  TSetupRec rec_, expanded_;
  std::string instPath_;
  std::map<std::string, ZipMember> members_;   // by lower-case name
  std::map<std::string, std::string> byBase_;  // lower-case file-name part to a member
  std::set<std::string> used_;
  bool haveArchive_ = false;
  size_t filesNumbered_ = 0;
  uint64_t unpacked_ = 0;
};

}  // namespace

void CheckPackage(const std::string& dir, const CheckOptions& options, Report& report) {
  Checker(dir, options, report).Run();
}

}  // namespace qpack
