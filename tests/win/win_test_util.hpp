// Helpers for tests that run under Wine: host paths, scratch directories,
// whole-file reads and child processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

// Texts are UTF-8, as in the program; the system gets them wide.
inline std::wstring U(const std::string& s) {
  std::wstring w(s.size() + 1, L'\0');
  w.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()),
                                                   w.data(), static_cast<int>(w.size()))));
  return w;
}
inline std::string N(const std::wstring& w) {
  std::string s(w.size() * 3 + 1, '\0');
  s.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                                                   s.data(), static_cast<int>(s.size()), nullptr,
                                                   nullptr)));
  return s;
}

// A path of the Linux host as Wine sees it (drive Z: is the root).
inline std::string HostPath(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesW(U(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadFile(const std::string& path) {
  std::string data;
  HANDLE h = CreateFileW(U(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing " + path + ">";
  char buf[65536];
  DWORD n = 0;
  while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) data.append(buf, n);
  CloseHandle(h);
  return data;
}

inline void WriteFile(const std::string& path, const std::string& data) {
  HANDLE h = CreateFileW(U(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
  CloseHandle(h);
}

// Names in dir matching pattern (e.g. "~fs*.exe"): files, and with folders
// true folders too.
inline std::vector<std::string> List(const std::string& dir, const std::string& pattern,
                                     bool folders = false) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(U(dir + "\\" + pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = N(fd.cFileName);
    const bool folder = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if ((!folder || folders) && name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

inline void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(U(dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = N(fd.cFileName);
      if (name == "." || name == "..") continue;
      std::string p = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(p);
      else
        DeleteFileW(U(p).c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(U(dir).c_str());
}

// A fresh, empty directory under the system temporary directory.
inline std::string ScratchDir(const std::string& tag) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "wt-" + tag + "-" + std::to_string(GetCurrentProcessId());
  RemoveTree(dir);
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

// Runs a command line, waits up to timeoutMs; returns the exit code or -1.
inline long RunProcess(const std::string& commandLine, DWORD timeoutMs = 30000) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = U(commandLine);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &si, &pi))
    return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<long>(code);
}

// Handles this thread's messages for ms milliseconds.
inline void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

}  // namespace wintest
