// File-system helpers.
#include "shell/file_ops.hpp"

#include <windows.h>

bool DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  if (p.empty()) return false;
  if (DirectoryExists(p)) return true;
  const size_t sep = p.find_last_of("\\/");
  // A drive root ("C:") or a name without parent ends the climb.
  if (sep != std::string::npos && sep > 0 && p[sep - 1] != ':' && p.substr(0, sep).size() > 2)
    if (!ForceDirectories(p.substr(0, sep))) return false;
  return CreateDirectoryA(p.c_str(), nullptr) || DirectoryExists(p);
}
