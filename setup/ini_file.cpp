// The portable INI reader.
#include "setup/ini_file.hpp"

#include "engine/text_codes.hpp"

namespace {

// Blanks around names and values; Ctrl-Z counts as one.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\x1A'; }

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) ++a;
  while (b > a && IsBlank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// A value that starts and ends with the same quote loses both.
std::string Unquote(const std::string& s) {
  if (s.size() > 1 && (s[0] == '"' || s[0] == '\'') && s.back() == s[0])
    return s.substr(1, s.size() - 2);
  return s;
}

std::string Cut(const std::string& s, size_t bufferSize) {
  return CutToCharacters(s, bufferSize - 1);
}

}  // namespace

TIniFile::TIniFile(const std::string& raw) {
  // A byte order mark says UTF-8 or UTF-16; without one the script is in
  // the ANSI code page, which here is Western Windows' own.
  std::string bytes;
  if (DecodeMarkedText(raw, bytes)) {
    encoding_ = raw[0] == '\xEF' ? Encoding::Utf8 : Encoding::Utf16;
    textProblem_ = MarkedTextProblem(raw);
  } else {
    encoding_ = Encoding::Ansi;
    bytes = Windows1252ToUtf8(raw);
    above127_ = bytes.size() != raw.size();
  }
  size_t pos = 0;
  size_t number = 1;  // of the line at pos, as an editor counts them
  while (pos < bytes.size()) {
    // Lines end at any run of CR and LF.
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = Trim(bytes.substr(pos, end - pos));
    const size_t lineNumber = number;
    pos = bytes.find_first_not_of("\r\n", end);
    if (pos == std::string::npos) pos = bytes.size();
    for (size_t i = end; i < pos; ++i)
      if (bytes[i] == '\n' || bytes[i + 1] != '\n') ++number;  // CR LF is one break
    if (line.empty()) continue;

    const size_t close = line.rfind(']');
    if (line[0] == '[' && close != std::string::npos) {
      sections_.push_back({Trim(line.substr(1, close - 1)), {}, lineNumber, {}});
      continue;
    }
    if (sections_.empty()) continue;  // keys before any section belong to none
    const size_t eq = line.find('=');
    Section& s = sections_.back();
    if (eq == std::string::npos)
      s.entries.push_back({line, "", false, lineNumber});
    else
      s.entries.push_back({Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)), true, lineNumber});
    s.byKey[Lower(s.entries.back().key)].push_back(s.entries.size() - 1);
  }
}

const TIniFile::Section* TIniFile::Find(const std::string& name) const {
  const std::string wanted = Trim(name);
  for (const Section& s : sections_)
    if (SameText(s.name, wanted)) return &s;  // only the first of a name counts
  return nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) {
  if (const Section* s = Find(section)) {
    // The first line of the key answers, even one without "=": then the
    // default does, as with Windows' profile calls.
    if (const auto it = s->byKey.find(Lower(Trim(key))); it != s->byKey.end()) {
      const Entry& e = s->entries[it->second.front()];
      return Answer(e.hasValue ? e.value : def);
    }
  }
  return Answer(def);
}

std::string TIniFile::Answer(const std::string& stored) {
  return Cut(Unquote(stored), kValueBuffer);
}

std::vector<std::string> TIniFile::ReadKeys(const std::string& section) {
  std::vector<std::string> keys;
  const Section* s = Find(section);
  if (!s) return keys;
  // Names, each with its terminator, fill the buffer up to two bytes short
  // of its end; the name that does not fit is cut there.
  size_t room = kMaxKeysBuffer - 2;
  for (const Entry& e : s->entries) {
    if (!e.hasValue || e.key.empty() || e.key[0] == ';') continue;
    if (room == 0) break;
    if (e.key.size() + 1 <= room) {
      keys.push_back(e.key);
      room -= e.key.size() + 1;
    } else {
      keys.push_back(e.key.substr(0, room));
      break;
    }
  }
  return keys;
}

std::vector<size_t> TIniFile::LinesOf(const std::string& section, const std::string& key) const {
  std::vector<size_t> lines;
  if (const Section* s = Find(section)) {
    if (const auto it = s->byKey.find(Lower(Trim(key))); it != s->byKey.end())
      for (size_t i : it->second) lines.push_back(s->entries[i].line);
  }
  return lines;
}

size_t TIniFile::SectionLine(const std::string& section) const {
  const Section* s = Find(section);
  return s ? s->line : 0;
}
