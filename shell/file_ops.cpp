// File-system helpers.
#include "shell/file_ops.hpp"

#include <windows.h>

#include "shell/owned.hpp"

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d) ||
      (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return static_cast<int64_t>(d.nFileSizeHigh) << 32 | d.nFileSizeLow;
}

bool RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  if (OwnedFind h(FindFirstFileA((dir + "\\*").c_str(), &fd)); h) {  // closed before dir goes
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      const DWORD a = fd.dwFileAttributes;
      if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(path.c_str());
      } else {
        if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(h.Get(), &fd));
  }
  SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryA(dir.c_str()) ||
         GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
}

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
