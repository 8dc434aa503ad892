// setup.ini through GetPrivateProfileStringA.
#include "setup/setup_script.hpp"

#include <windows.h>

#include <cstring>

std::string TPrivateProfile::ReadString(const std::string& section, const std::string& key,
                                        const std::string& def) {
  char buf[1024];
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf, sizeof buf,
                                     path_.c_str());
  return std::string(buf, n);
}

std::vector<std::string> TPrivateProfile::ReadKeys(const std::string& section) {
  // A full buffer comes back as its size less two: then it was too small.
  // Reading on with a larger one keeps a long file list from being cut
  // short silently (about 190 files fill 8,192 bytes of key names).
  std::vector<char> buf(8192);
  DWORD n = 0;
  for (;;) {
    n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buf.data(),
                                 static_cast<DWORD>(buf.size()), path_.c_str());
    if (n + 2 < buf.size() || buf.size() >= kMaxKeysBuffer) break;
    buf.resize(buf.size() * 2);
  }
  std::vector<std::string> keys;
  for (DWORD i = 0; i < n;) {
    std::string name(buf.data() + i, strnlen(buf.data() + i, n - i));
    if (name.empty()) break;
    i += static_cast<DWORD>(name.size()) + 1;
    keys.push_back(std::move(name));
  }
  return keys;
}

void ReadSetupRec(TSetupRec& rec, const std::string& path) {
  TPrivateProfile profile(path);
  LoadSetupRec(rec, profile);
}
