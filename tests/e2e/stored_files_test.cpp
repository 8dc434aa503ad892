// setup.exe as a user starts it: its window appears, its two stored files are
// written to the temporary directory, and closing the window removes them.
#include <gtest/gtest.h>

#include "tests/e2e/driver.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

TEST(StoredFiles, AppearWhileTheWindowIsOpenAndGoWhenItCloses) {
  const std::string dir = ScratchDir("e2e-stored"), tmp = dir + "\\tmp";
  CreateDirectoryA(tmp.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(HostPath(SETUP_EXE).c_str(), (dir + "\\setup.exe").c_str(), FALSE));
  WriteFile(dir + "\\setup.ini", "[MAIN]\r\nAppName=Stored\r\n");
  e2e::SetupProcess setup(dir + "\\setup.exe", "", tmp);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr) << "no main window";

  auto exes = List(tmp, "~fs*0.exe");
  auto bmps = List(tmp, "~fs*0.bmp");
  ASSERT_EQ(exes.size(), 1u);
  ASSERT_EQ(bmps.size(), 1u);
  // Both are written within the same second in practice, so share a prefix.
  EXPECT_EQ(exes[0].substr(0, exes[0].size() - 4), bmps[0].substr(0, bmps[0].size() - 4));
  EXPECT_EQ(ReadFile(tmp + "\\" + exes[0]), ReadFile(HostPath(UNZIP_EXE)));
  EXPECT_EQ(ReadFile(tmp + "\\" + bmps[0]), ReadFile(HostPath(UNINSTALL_BMP)));

  // The window: fixed dialog frame, no caption buttons, client 410 x 297.
  char caption[256] = {};
  GetWindowTextA(main, caption, sizeof caption);
  EXPECT_STREQ(caption, "Setup [Stored]");
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  RECT rc;
  GetClientRect(main, &rc);
  EXPECT_EQ(rc.right, 410);
  EXPECT_EQ(rc.bottom, 297);
  HWND licence = setup.FindWindow("TForm2");
  ASSERT_NE(licence, nullptr);
  EXPECT_FALSE(IsWindowVisible(licence));

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
  EXPECT_FALSE(Exists(tmp + "\\" + exes[0]));
  EXPECT_FALSE(Exists(tmp + "\\" + bmps[0]));
  RemoveTree(dir);
}

}  // namespace
