// setup.exe as a user starts it: its window appears, its two stored files are
// written into a folder of its own in the temporary directory, and closing
// the window removes them with the folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/driver.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

TEST(StoredFiles, AppearWhileTheWindowIsOpenAndGoWhenItCloses) {
  const std::string dir = ScratchDir("e2e-stored"), tmp = dir + "\\tmp";
  CreateDirectoryA(tmp.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(HostPath(SETUP_EXE).c_str(), (dir + "\\setup.exe").c_str(), FALSE));
  WriteFile(dir + "\\setup.ini", "[MAIN]\r\nAppName=Stored\r\n");
  // What a run ended from outside left, two hours ago, goes at the next start.
  const std::string stale = tmp + "\\qvsetup-00000000";
  CreateDirectoryA(stale.c_str(), nullptr);
  WriteFile(stale + "\\setup.ini", "left");
  {
    HANDLE h = CreateFileA(stale.c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= 2ull * 3600 * 10000000;
    const FILETIME then{t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, nullptr, &then);
    CloseHandle(h);
  }
  e2e::SetupProcess setup(dir + "\\setup.exe", "", tmp);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr) << "no main window";
  EXPECT_FALSE(Exists(stale));

  const std::vector<std::string> own = List(tmp, "qvsetup-*", true);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(List(tmp, "*"), std::vector<std::string>{});  // nothing loose beside it
  const std::string folder = tmp + "\\" + own[0];
  auto exes = List(folder, "~fs*0.exe");
  auto bmps = List(folder, "~fs*0.bmp");
  ASSERT_EQ(exes.size(), 1u);
  ASSERT_EQ(bmps.size(), 1u);
  // Named after the second each was written in ("~fs<second>0"): the
  // bitmap follows the tool at once, in the same second or the next.
  const auto second = [](const std::string& name) {
    return std::atoi(name.substr(3, name.size() - 8).c_str());
  };
  const int gap = (second(bmps[0]) - second(exes[0]) + 60) % 60;
  EXPECT_LE(gap, 1) << exes[0] << " " << bmps[0];
  EXPECT_EQ(ReadFile(folder + "\\" + exes[0]), ReadFile(HostPath(UNZIP_EXE)));
  EXPECT_EQ(ReadFile(folder + "\\" + bmps[0]), ReadFile(HostPath(UNINSTALL_BMP)));

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
  EXPECT_FALSE(Exists(folder));
  RemoveTree(dir);
}

}  // namespace
