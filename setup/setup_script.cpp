// setup.ini through the platform's private-profile calls.
#include "setup/setup_script.hpp"

#include <windows.h>

#include <cwchar>

#include "engine/text_codes.hpp"
#include "setup/ini_file.hpp"
#include "shell/file_ops.hpp"
#include "shell/wide_text.hpp"

namespace {

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\x1A'; }

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) ++a;
  while (b > a && IsBlank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

// The profile call's answer for size characters of buffer, doubled while
// the platform says it was too small (it then returns size less two).
template <class Call>
std::wstring ReadGrowing(Call call) {
  std::vector<wchar_t> buf(8192);
  DWORD n = 0;
  for (;;) {
    n = call(buf.data(), static_cast<DWORD>(buf.size()));
    if (n + 2 < buf.size() || buf.size() >= kMaxKeysBuffer) break;
    buf.resize(buf.size() * 2);
  }
  return std::wstring(buf.data(), n);
}

// Splits a double-NUL-ended list into its strings.
std::vector<std::string> Strings(const std::wstring& list) {
  std::vector<std::string> out;
  for (size_t i = 0; i < list.size();) {
    const size_t end = std::min(list.find(L'\0', i), list.size());
    if (end == i) break;
    out.push_back(Narrow(list.substr(i, end - i)));
    i = end + 1;
  }
  return out;
}

}  // namespace

const TPrivateProfile::Section& TPrivateProfile::Load(const std::string& section) {
  if (const auto it = sections_.find(section); it != sections_.end()) return it->second;
  Section& s = sections_[section];
  const std::wstring name = Wide(section), file = Wide(path_);
  const std::wstring lines = ReadGrowing([&](wchar_t* buf, DWORD size) {
    return GetPrivateProfileSectionW(name.c_str(), buf, size, file.c_str());
  });
  for (const std::string& line : Strings(lines)) {
    const size_t eq = line.find('=');
    const std::string key = LowerAscii(Trim(line.substr(0, eq)));
    if (eq == std::string::npos)
      s.emplace(key, std::nullopt);  // the first line of a key answers, even without "="
    else
      s.emplace(key, Trim(line.substr(eq + 1)));
  }
  return s;
}

std::string TPrivateProfile::ReadString(const std::string& section, const std::string& key,
                                        const std::string& def) {
  // Names the section list leaves out or spells otherwise go to the
  // platform one by one; the script's own keys are all plain names.
  if (key.empty() || key[0] == ';' || Trim(key) != key) {
    wchar_t buf[TIniFile::kValueBuffer];
    const DWORD n =
        GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(def).c_str(), buf,
                                 TIniFile::kValueBuffer, Wide(path_).c_str());
    return Narrow(std::wstring(buf, n));
  }
  const Section& s = Load(section);
  const auto it = s.find(LowerAscii(key));
  return TIniFile::Answer(it != s.end() && it->second ? *it->second : def);
}

std::vector<std::string> TPrivateProfile::ReadKeys(const std::string& section) {
  // A full buffer comes back as its size less two: then it was too small.
  // Reading on with a larger one keeps a long file list from being cut
  // short silently (about 190 files fill 8,192 bytes of key names).
  const std::wstring name = Wide(section), file = Wide(path_);
  return Strings(ReadGrowing([&](wchar_t* buf, DWORD size) {
    return GetPrivateProfileStringW(name.c_str(), nullptr, L"", buf, size, file.c_str());
  }));
}

std::string TPrivateProfile::TextProblem() const {
  std::string bytes;
  return ReadWholeFile(path_, bytes) ? MarkedTextProblem(bytes) : "";
}

void ReadSetupRec(TSetupRec& rec, const std::string& path) {
  TPrivateProfile profile(path);
  LoadSetupRec(rec, profile);
}
