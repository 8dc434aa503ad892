// File-system helpers. Every call takes the long form of its path, so that
// nothing here stops at 260 characters.
#include "shell/file_ops.hpp"

#include <windows.h>

#include <cstdint>

#include "shell/owned.hpp"
#include "shell/wide_text.hpp"

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesW(LongPath(path).c_str()); }

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &d) ||
      (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return static_cast<int64_t>(d.nFileSizeHigh) << 32 | d.nFileSizeLow;
}

namespace {

bool RemoveTreeW(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  if (OwnedFind h(FindFirstFileW((dir + L"\\*").c_str(), &fd)); h) {  // closed before dir goes
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = dir + L"\\" + name;
      const DWORD a = fd.dwFileAttributes;
      if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTreeW(path);
      } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(h.Get(), &fd));
  }
  SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryW(dir.c_str()) ||
         GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool RemoveTree(const std::string& dir) { return RemoveTreeW(LongPath(dir)); }

bool DirectoryExists(const std::string& path) {
  const DWORD a = Attributes(path);
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
  return CreateDirectoryW(LongPath(p).c_str(), nullptr) || DirectoryExists(p);
}

bool DeleteFileAt(const std::string& path) { return DeleteFileW(LongPath(path).c_str()); }

bool RemoveDirectoryAt(const std::string& path) { return RemoveDirectoryW(LongPath(path).c_str()); }

bool CopyFileTo(const std::string& from, const std::string& to) {
  return CopyFileW(LongPath(from).c_str(), LongPath(to).c_str(), FALSE);
}

bool MoveFileTo(const std::string& from, const std::string& to, unsigned long flags) {
  const std::wstring target = to.empty() ? L"" : LongPath(to);
  return MoveFileExW(LongPath(from).c_str(), to.empty() ? nullptr : target.c_str(), flags);
}

bool SetAttributes(const std::string& path, unsigned long attributes) {
  return SetFileAttributesW(LongPath(path).c_str(), attributes);
}

bool SetCurrentDirectoryTo(const std::string& path) {
  return SetCurrentDirectoryW(Wide(path).c_str());
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  OwnedHandle h(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr));
  if (!h) return false;
  bytes.clear();
  char buf[65536];
  DWORD n = 0;
  bool ok = true;
  while ((ok = ReadFile(h.Get(), buf, sizeof buf, &n, nullptr) != FALSE) && n > 0)
    bytes.append(buf, n);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  OwnedHandle h(CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return h &&
         WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string ModulePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) return Narrow(buf.substr(0, n));
    buf.resize(buf.size() * 2);
  }
}

std::string TempDirectory() {
  wchar_t buf[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  return n > 0 && n <= MAX_PATH ? Narrow(std::wstring(buf, n)) : "";
}

std::string SystemMessage(unsigned long code) {
  wchar_t buf[512] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buf, 512, nullptr);
  while (n > 0 && (buf[n - 1] == L'\r' || buf[n - 1] == L'\n' || buf[n - 1] == L' ')) buf[--n] = 0;
  return n ? Narrow(buf) : "error " + std::to_string(code);
}

std::string FreshTempFolder() {
  const std::string temp = TempDirectory();
  if (temp.empty()) return "";
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  unsigned seed = GetCurrentProcessId() * 2654435761u ^ static_cast<unsigned>(counter.QuadPart);
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 1103515245u + 12345u;
    wchar_t name[32];
    wsprintfW(name, L"qvsetup-%08x", seed);
    const std::string folder = temp + Narrow(name);
    if (CreateDirectoryW(LongPath(folder).c_str(), nullptr)) return folder + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

void RemoveStaleTempFolders() {
  const std::string temp = TempDirectory();
  if (temp.empty()) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
  };
  WIN32_FIND_DATAW fd;
  OwnedFind h(FindFirstFileW(LongPath(temp + "qvsetup-*").c_str(), &fd));
  if (!h) return;
  do {
    // Untouched for a minute at least: one being made may not hold its
    // files yet.
    const bool old = ticks(now) - ticks(fd.ftLastWriteTime) > 60ull * 10000000ull;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && old)
      RemoveTree(temp + Narrow(fd.cFileName));
  } while (FindNextFileW(h.Get(), &fd));
}
