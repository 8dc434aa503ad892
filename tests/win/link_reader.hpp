// Reads a shortcut file back through the shell link object, as the shell
// would, plus the show command from the file's own bytes.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "tests/win/win_test_util.hpp"

namespace wintest {

struct LinkFields {
  std::string path, args, dir, description, icon;
  int iconIndex = -1;
  WORD hotKey = 0;
  DWORD showCmd = 0;
};

inline LinkFields ReadLink(const std::string& file) {
  LinkFields r;
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  IPersistFile* pf = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf))) &&
      SUCCEEDED(pf->Load(U(file).c_str(), STGM_READ))) {
    wchar_t buf[MAX_PATH] = {};
    link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
    r.path = N(buf);
    // The ID list holds the target exactly; Wine's link file also keeps it
    // as an ANSI path, bent where the code page lacks a letter.
    PIDLIST_ABSOLUTE ids = nullptr;
    if (SUCCEEDED(link->GetIDList(&ids)) && ids) {
      wchar_t exact[MAX_PATH] = {};
      if (SHGetPathFromIDListW(ids, exact)) r.path = N(exact);
      CoTaskMemFree(ids);
    }
    link->GetArguments(buf, MAX_PATH);
    r.args = N(buf);
    link->GetWorkingDirectory(buf, MAX_PATH);
    r.dir = N(buf);
    link->GetDescription(buf, MAX_PATH);
    r.description = N(buf);
    link->GetIconLocation(buf, MAX_PATH, &r.iconIndex);
    r.icon = N(buf);
    link->GetHotkey(&r.hotKey);
  }
  if (pf) pf->Release();
  if (link) link->Release();
  CoUninitialize();
  // The loader does not keep the show command: read it at offset 0x3C.
  const std::string bytes = ReadFile(file);
  if (bytes.size() >= 0x40) std::memcpy(&r.showCmd, bytes.data() + 0x3C, 4);
  return r;
}

// A string value under HKEY_LOCAL_MACHINE, or "<missing>".
inline std::string RegValue(const std::string& key, const char* name) {
  wchar_t buf[1024] = {};
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, U(key).c_str(), name ? U(name).c_str() : nullptr,
                   RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return "<missing>";
  return N(buf);
}

}  // namespace wintest
