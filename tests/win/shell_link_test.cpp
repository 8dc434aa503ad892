// Shortcut files written through the shell link object and read back, and
// the component's naming, folder placement and error texts.
#include "shell/shell_link.hpp"

#include <windows.h>
#include <gtest/gtest.h>

#include "tests/win/link_reader.hpp"

using namespace wintest;

namespace {

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
  LinkFields r = ReadLink(link.FileName());
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
  r = ReadLink(link.FileName());
  EXPECT_EQ(r.args, "");
  EXPECT_EQ(r.showCmd, 7u);
}

TEST_F(ShellLink, AFailedSaveIsReported) {
  TShellLink link;
  link.Target = "C:\\x.exe";
  link.SetFileName(dir_ + "\\no such folder\\x");
  EXPECT_FALSE(link.SaveLink());
  EXPECT_FALSE(Exists(link.FileName()));
  // A target longer than a path may be is no shortcut to a cut one.
  link.Target = "C:\\" + std::string(280, 't') + ".exe";
  link.SetFileName(dir_ + "\\long");
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
  RegGetValueA(HKEY_CURRENT_USER,
               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Desktop",
               RRF_RT_REG_SZ, nullptr, desktop, &size);
  link.SetShellFolder(TShellFolder::sfDesktop);
  EXPECT_EQ(link.FileName(), std::string(desktop) + "\\App.lnk");
  link.SetFileName("D:\\X\\Other.lnk");
  EXPECT_EQ(link.FileName(), std::string(desktop) + "\\Other.lnk");
  link.SetShellFolder(TShellFolder::sfNone);
  EXPECT_EQ(link.FileName(), std::string(desktop) + "\\Other.lnk");

  link.SetLangType(TLangType::ltEnglish);
  EXPECT_EQ(ShellLinkTexts().CoCreateInstance, "\"CoCreateInstance\" failed.");
  TShellLink second;  // a new instance puts every text back to French
  EXPECT_EQ(ShellLinkTexts().CoCreateInstance, "\"CoCreateInstance\" a échoué.");
  EXPECT_EQ(ShellLinkTexts().NotFound, "Lien non trouvé.");
}

}  // namespace
