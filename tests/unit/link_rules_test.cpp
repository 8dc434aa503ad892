// Shortcut names and encodings; path arithmetic.
#include "shell/link_rules.hpp"
#include "shell/path_rules.hpp"

#include <gtest/gtest.h>

TEST(LinkRules, TheLnkExtensionIsAddedOnlyWhenMissing) {
  EXPECT_EQ(WithLinkExtension("C:\\Menu\\App"), "C:\\Menu\\App.lnk");
  EXPECT_EQ(WithLinkExtension("C:\\Menu\\App.LnK"), "C:\\Menu\\App.LnK");
  EXPECT_EQ(WithLinkExtension("C:\\Menu\\App.exe"), "C:\\Menu\\App.exe.lnk");
  EXPECT_EQ(WithLinkExtension("C:\\Menu\\"), "");
  EXPECT_EQ(WithLinkExtension("C:\\Menu\\.lnk"), "");
  EXPECT_EQ(WithLinkExtension("C:\\My.Menu\\App"), "C:\\My.Menu\\App.lnk");
  EXPECT_EQ(FileNamePart("D:\\X\\App.lnk"), "App.lnk");
  EXPECT_EQ(FileNamePart("D:App.lnk"), "App.lnk");
}

TEST(LinkRules, HotKeysAndWindowStatesConvertBothWays) {
  const uint16_t ctrlAltF5 = 0x74 | 0x4000 | 0x8000;
  EXPECT_EQ(ShortcutToHotKey(ctrlAltF5), 0x0674);
  EXPECT_EQ(HotKeyToShortcut(0x0674), ctrlAltF5);
  EXPECT_EQ(ShortcutToHotKey(0x41 | 0x2000), 0x0141);
  EXPECT_EQ(ShortcutToHotKey(0), 0);
  EXPECT_EQ(ShowCommandOf(TWindowState::wsMinimized), 7);
  EXPECT_EQ(ShowCommandOf(TWindowState::wsMaximized), 3);
  EXPECT_EQ(ShowCommandOf(TWindowState::wsNormal), 1);
  EXPECT_EQ(WindowStateOf(0), TWindowState::wsNormal);
  EXPECT_EQ(WindowStateOf(7), TWindowState::wsMinimized);
}

TEST(PathRules, TheUninstallerNeverWalksAVolumeRoot) {
  EXPECT_EQ(DirectoryPart("C:\\App\\setup.exe"), "C:\\App\\");
  EXPECT_EQ(DirectoryPart("C:setup.exe"), "C:");
  EXPECT_EQ(DirectoryPart("setup.exe"), "");
  EXPECT_EQ(ContainingDirectory("C:\\App\\Docs\\a.txt"), "C:\\App\\Docs");
  // "C:" would be drive C's current directory, not a directory of its own.
  EXPECT_EQ(ContainingDirectory("C:\\x"), "");
  EXPECT_EQ(ContainingDirectory("\\\\server\\share\\x"), "");
  EXPECT_EQ(ContainingDirectory("\\\\server\\share\\App\\x"), "\\\\server\\share\\App");
  EXPECT_EQ(ContainingDirectory("x.txt"), "");
  EXPECT_EQ(ContainingDirectory("\\x.txt"), "");
  EXPECT_EQ(ParentOnSameVolume("C:\\Program Files\\App"), "C:\\Program Files");
  EXPECT_EQ(ParentOnSameVolume("C:\\Program Files\\App\\"), "C:\\Program Files");
  EXPECT_EQ(ParentOnSameVolume("C:\\App"), "C:\\");
  EXPECT_EQ(ParentOnSameVolume("C:\\"), "");
  EXPECT_EQ(ParentOnSameVolume("\\\\server\\share\\App"), "\\\\server\\share\\");
  EXPECT_EQ(ParentOnSameVolume("\\\\server\\share"), "");
  EXPECT_TRUE(IsRootFileOfNoDrive("\\readme.txt"));  // a group without a directory
  EXPECT_FALSE(IsRootFileOfNoDrive("\\Program Files\\App\\x"));
  EXPECT_FALSE(IsRootFileOfNoDrive("\\\\server\\share\\x"));
  EXPECT_FALSE(IsRootFileOfNoDrive("C:\\x"));
}
