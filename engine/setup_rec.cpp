// Setup record, line lists, number syntax, macros.
#include "engine/setup_rec.hpp"

#include "engine/text_codes.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "engine/file_names.hpp"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCase(std::string s) {
  for (char& c : s) c = Lower(c);
  return s;
}

bool ReadBool(TProfileSource& p, const char* key) {
  int value = 0;
  return TryStrToInt(p.ReadString("MAIN", key, "0"), value) && value != 0;
}

void ReadSection(TProfileSource& p, const char* section, TLineList& list) {
  for (const std::string& key : p.ReadKeys(section)) list.Set(key, p.ReadString(section, key, ""));
}

}  // namespace

std::string CutToCharacters(const std::string& s, size_t count) {
  size_t chars = 0;
  for (size_t i = 0; i < s.size(); ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && chars++ == count)
      return s.substr(0, i);
  return s;
}

std::string ShortString(const std::string& s) { return CutToCharacters(s, kShortStringMax); }

ptrdiff_t TLineList::Find(const std::string& key) const {
  if (!indexed_) {
    index_.clear();
    for (size_t i = 0; i < lines_.size(); ++i) {
      const size_t eq = lines_[i].find('=');
      if (eq != std::string::npos) index_.emplace(LowerCase(lines_[i].substr(0, eq)), i);
    }
    indexed_ = true;
  }
  const auto it = index_.find(LowerCase(key));
  return it == index_.end() ? -1 : static_cast<ptrdiff_t>(it->second);
}

std::string TLineList::Get(const std::string& key) const {
  const ptrdiff_t i = Find(key);
  return i < 0 ? std::string() : lines_[i].substr(lines_[i].find('=') + 1);
}

void TLineList::Set(const std::string& key, const std::string& value) {
  const ptrdiff_t i = Find(key);
  if (value.empty()) {
    if (i >= 0) {
      lines_.erase(lines_.begin() + i);
      indexed_ = false;  // later lines moved up
    }
  } else if (i >= 0) {
    lines_[i] = key + "=" + value;  // same key but for letter case
  } else {
    lines_.push_back(key + "=" + value);
    const std::string& line = lines_.back();
    index_.emplace(LowerCase(line.substr(0, line.find('='))), lines_.size() - 1);
  }
}

bool TryStrToInt64(const std::string& text, int64_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return false;
  if (text[i] == '$') {
    if (++i == text.size()) return false;
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
      const char c = Lower(text[i]);
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0 || v > (UINT64_MAX >> 4)) return false;
      v = v * 16 + static_cast<uint64_t>(d);
    }
    value = static_cast<int64_t>(v);
    return true;
  }
  const bool negative = text[i] == '-';
  if (text[i] == '+' || text[i] == '-') ++i;
  if (i == text.size()) return false;
  const uint64_t limit = uint64_t{INT64_MAX} + (negative ? 1 : 0);
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const uint64_t d = static_cast<uint64_t>(text[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  value = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

bool IsOutOfRangeNumber(const std::string& text) {
  int64_t ignored = 0;
  if (TryStrToInt64(text, ignored)) return false;
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  const bool hex = text[i] == '$';
  if (hex || text[i] == '+' || text[i] == '-') ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    const char c = Lower(text[i]);
    if (!(c >= '0' && c <= '9') && !(hex && c >= 'a' && c <= 'f')) return false;
  }
  return true;
}

std::string AppNameProblem(const std::string& name) {
  if (name.find_first_not_of(' ') == std::string::npos) return "empty or all blanks";
  if (Utf16Length(name) > 255)
    return "longer than the 255 UTF-16 units Windows allows in a registry key's name";
  for (const char c : name)
    if (c == '\\' || c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return "holds \\, / or a control character, so it would name another registry key";
  if (name.find_first_of("<>:\"|?*") != std::string::npos)
    return "holds one of < > : \" | ? *, which Windows allows in no folder name";
  if (name.back() == '.' || name.back() == ' ')
    return "ends in a dot or blank, so it names no folder of its own";
  if (IsDeviceName(name))
    return "is a name Windows keeps for a device, so it names no folder of its own";
  return "";
}

bool IsValidAppName(const std::string& name) { return AppNameProblem(name).empty(); }

std::string ScriptError(const TSetupRec& rec) {
  if (!rec.TextProblem.empty()) return "Setup script error: setup.ini " + rec.TextProblem + ".";
  if (!IsValidAppName(rec.AppName)) return "Setup script error: AppName is missing or invalid.";
  if (!rec.Program.empty() && RelativePath(rec.Program).empty())
    return "Setup script error: Program must name a file below the installation directory.";
  return "";
}

bool TryStrToInt(const std::string& text, int& value) {
  std::string s = text;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
  int64_t v = 0;
  if (!TryStrToInt64(s, v)) return false;
  const bool hex = s.find('$') != std::string::npos;
  if (hex ? (v < 0 || v > int64_t{UINT32_MAX}) : (v < INT32_MIN || v > INT32_MAX)) return false;
  value = static_cast<int32_t>(hex ? static_cast<uint32_t>(v) : static_cast<int32_t>(v));
  return true;
}

void LoadSetupRec(TSetupRec& rec, TProfileSource& p) {
  rec.TextProblem = p.TextProblem();
  rec.AppName = ShortString(p.ReadString("MAIN", "AppName", ""));
  rec.InstPath = ShortString(p.ReadString("MAIN", "InstPath", ""));
  rec.FolderName = ShortString(p.ReadString("MAIN", "FolderName", ""));
  rec.DiskSpace = ShortString(p.ReadString("MAIN", "DiskSpace", "0"));
  rec.RunOnStart = ReadBool(p, "RunOnStart");
  rec.OnDesktop = ReadBool(p, "OnDesktop");
  rec.OnQuickLaunch = ReadBool(p, "OnQuickLaunch");
  rec.OnStartMenu = ReadBool(p, "OnStartMenu");
  rec.Version = ShortString(p.ReadString("MAIN", "Version", ""));
  rec.Publisher = ShortString(p.ReadString("MAIN", "Publisher", ""));
  rec.URL = ShortString(p.ReadString("MAIN", "URL", ""));
  rec.FastInstall = ReadBool(p, "FastInstall");
  rec.Rollback = ReadBool(p, "Rollback");
  rec.UserScope = LowerCase(p.ReadString("MAIN", "Scope", "")) == "user";
  rec.Program = ShortString(p.ReadString("MAIN", "Program", rec.AppName + ".exe"));
  ReadSection(p, "GROUPS", rec.Groups);
  ReadSection(p, "FILES", rec.Files);
  // Scripts write one extra character after every FILES value.
  for (std::string& line : rec.Files.Lines())
    if (!line.empty()) {
      // One character, not one byte: "東" is three bytes of UTF-8.
      size_t last = line.size() - 1;
      while (last > 0 && (static_cast<unsigned char>(line[last]) & 0xC0) == 0x80) --last;
      line.erase(last);
    }
}

void ReplaceMacro(std::string& text, size_t capacity, const std::string& macro,
                  const std::string& replacement) {
  const size_t at = LowerCase(text).find(LowerCase(macro));
  if (at == std::string::npos) return;
  text.replace(at, macro.size(), replacement);
  text = CutToCharacters(text, capacity);
}

void ExpandGroupDirs(TSetupRec& rec, const std::string& appPath, const std::string& windowsDir) {
  const std::pair<const char*, std::string> macros[] = {
      {"<application path>", appPath},
      {"<system>", windowsDir + "\\System"},
      {"<windir>", windowsDir},
  };
  for (size_t n = 0; n < rec.GroupCount(); ++n) {
    const std::string key = "Dir" + std::to_string(n);
    std::string dir = ShortString(rec.Groups.Get(key));
    for (const auto& [macro, value] : macros)
      if (dir.find(macro) != std::string::npos) ReplaceMacro(dir, kShortStringMax, macro, value);
    if (!dir.empty()) rec.Groups.Set(key, dir);
  }
}

std::string GroupDir(const TSetupRec& rec, const std::string& groupName,
                     const std::string& instPath) {
  for (size_t k = 0; k < rec.GroupCount(); ++k)
    if (rec.Groups.Get("Name" + std::to_string(k)) == groupName)
      return rec.Groups.Get("Dir" + std::to_string(k));
  return instPath;
}
