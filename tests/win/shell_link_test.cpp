// Shortcut files written through the shell link object and read back, and
// the component's naming, folder placement and error texts.
#include "shell/shell_link.hpp"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

struct ReadBack {
  std::string path, args, dir, description, icon;
  int iconIndex = -1;
  WORD hotKey = 0;
  DWORD showCmd = 0;
};

ReadBack Read(const std::string& file) {
  ReadBack r;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* pf = nullptr;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf))) &&
      SUCCEEDED(pf->Load(wide, STGM_READ))) {
    char buf[MAX_PATH];
    link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
    r.path = buf;
    link->GetArguments(buf, MAX_PATH);
    r.args = buf;
    link->GetWorkingDirectory(buf, MAX_PATH);
    r.dir = buf;
    link->GetDescription(buf, MAX_PATH);
    r.description = buf;
    link->GetIconLocation(buf, MAX_PATH, &r.iconIndex);
    r.icon = buf;
    link->GetHotkey(&r.hotKey);
  }
  if (pf) pf->Release();
  if (link) link->Release();
  CoUninitialize();
  // The show command from the file itself: the loader does not keep it.
  const std::string bytes = ReadFile(file);
  if (bytes.size() >= 0x40) std::memcpy(&r.showCmd, bytes.data() + 0x3C, 4);
  return r;
}

class ShellLink : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = ScratchDir("lnk"); }
  void TearDown() override { RemoveTree(dir_); }
  std::string dir_;
};

TEST_F(ShellLink, WritesEveryFieldAndOverwrites) {
  TShellLink link;
  link.Target = dir_ + "\\My App\\app.exe";
  link.Arguments = "/u:\"My App\"";
  link.WorkingDir = dir_ + "\\My App";
  link.Description = "Read me";
  link.FileIcon = TFileIcon{dir_ + "\\icons.dll", 3};
  link.SetHotKey(0x74 | 0x4000 | 0x8000);
  link.SetWindowState(TWindowState::wsMaximized);
  link.SetFileName(dir_ + "\\Read me");
  EXPECT_EQ(link.FileName(), dir_ + "\\Read me.lnk");
  ASSERT_TRUE(link.SaveLink());
  ReadBack r = Read(link.FileName());
  EXPECT_EQ(r.path, link.Target);
  EXPECT_EQ(r.args, link.Arguments);
  EXPECT_EQ(r.dir, link.WorkingDir);
  EXPECT_EQ(r.description, "Read me");
  EXPECT_EQ(r.icon, dir_ + "\\icons.dll");
  EXPECT_EQ(r.iconIndex, 3);
  EXPECT_EQ(r.hotKey, 0x0674);
  EXPECT_EQ(r.showCmd, 3u);

  link.Arguments = "";
  link.SetWindowState(TWindowState::wsMinimized);
  ASSERT_TRUE(link.SaveLink());  // an existing link is replaced
  r = Read(link.FileName());
  EXPECT_EQ(r.args, "");
  EXPECT_EQ(r.showCmd, 7u);
}

TEST_F(ShellLink, AFailedSaveIsReported) {
  TShellLink link;
  link.Target = "C:\\x.exe";
  link.SetFileName(dir_ + "\\no such folder\\x");
  EXPECT_FALSE(link.SaveLink());
  EXPECT_FALSE(Exists(link.FileName()));
}

TEST_F(ShellLink, NamesFoldersAndTexts) {
  TShellLink link;
  EXPECT_EQ(link.WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(link.ShowCommand(), 0);
  link.SetFileName("C:\\Menu\\App");
  EXPECT_EQ(link.FileName(), "C:\\Menu\\App.lnk");
  link.SetFileName("C:\\Menu\\App.lnk");  // the same value: nothing happens
  EXPECT_EQ(link.FileName(), "C:\\Menu\\App.lnk");

  char desktop[MAX_PATH] = {};
  DWORD size = sizeof desktop;
  RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
               "Desktop", RRF_RT_REG_SZ, nullptr, desktop, &size);
  link.SetShellFolder(TShellFolder::sfDesktop);
  EXPECT_EQ(link.FileName(), std::string(desktop) + "\\App.lnk");
  link.SetFileName("D:\\X\\Other.lnk");
  EXPECT_EQ(link.FileName(), std::string(desktop) + "\\Other.lnk");
  link.SetShellFolder(TShellFolder::sfNone);
  EXPECT_EQ(link.FileName(), std::string(desktop) + "\\Other.lnk");

  link.SetLangType(TLangType::ltEnglish);
  EXPECT_EQ(ShellLinkTexts().CoCreateInstance, "\"CoCreateInstance\" failed.");
  TShellLink second;  // a new instance puts every text back to French
  EXPECT_EQ(ShellLinkTexts().CoCreateInstance, "\"CoCreateInstance\" a \xE9\x63hou\xE9.");
  EXPECT_EQ(ShellLinkTexts().NotFound, "Lien non trouv\xE9.");
}

}  // namespace
