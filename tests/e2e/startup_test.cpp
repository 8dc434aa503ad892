// Start-up as a user meets it: the script's values in the window, a missing
// script, a running application in both modes, and the mode switch.
#include <gtest/gtest.h>

#include <algorithm>

#include "setup/control_ids.hpp"
#include "shell/shell_folders.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/screenshot.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;
using e2e::SetupProcess;

namespace {

TShellFolders folders;  // as the program reads them

const char kRunning[] =
    "The Application you are attempting to\r\n%sinstall is active. Please close all instances"
    "\r\nand try again.";

std::string RunningMessage(const char* prefix) {
  char buf[256];
  snprintf(buf, sizeof buf, kRunning, prefix);
  return buf;
}

// setup.exe copied into a fresh directory, with or without a script.
class StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = ScratchDir("e2e-" + name_);
    tmp_ = dir_ + "\\tmp";
    CreateDirectoryA(tmp_.c_str(), nullptr);
    exe_ = dir_ + "\\setup.exe";
    ASSERT_TRUE(CopyFileA(HostPath(SETUP_EXE).c_str(), exe_.c_str(), FALSE));
  }
  void TearDown() override { RemoveTree(dir_); }

  void Script(const std::string& text) { WriteFile(dir_ + "\\setup.ini", text); }
  void Shot(HWND hwnd, const std::string& tag) {
    e2e::SaveWindowShot(hwnd, HostPath(SHOT_DIR) + "\\" + tag + ".bmp");
  }
  // Answers the one message box that must appear, then the process must end
  // with exitCode without any other window.
  void ExpectOnlyMessage(SetupProcess& setup, const std::string& text, long exitCode = 0) {
    HWND box = setup.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(e2e::WindowText(box), "Setup");
    EXPECT_EQ(e2e::MessageText(box), text);
    EXPECT_EQ(setup.FindWindow("TForm1") ? IsWindowVisible(setup.FindWindow("TForm1")) : FALSE,
              FALSE);
    e2e::PressButton(box, IDOK);
    EXPECT_EQ(setup.WaitForExit(15000), exitCode);
    EXPECT_TRUE(List(tmp_, "*", true).empty()) << "left in the temporary folder";
  }

  std::string name_, dir_, tmp_, exe_;
};

TEST_F(StartUp, ScriptValuesShowInTheWindow) {
  ReadShellFolders(folders);
  const std::string tag = "QvTest" + std::to_string(GetCurrentProcessId());
  const std::string both = tag + " Both", user = tag + " user only", common = tag + " Common",
                    hidden = tag + " Hidden";
  const std::vector<std::string> made = {
      folders.ProgramsDir + "\\" + both, folders.CommonProgramsDir + "\\" + both,
      folders.ProgramsDir + "\\" + user, folders.CommonProgramsDir + "\\" + common,
      folders.ProgramsDir + "\\" + hidden};
  struct Cleanup {
    const std::vector<std::string>& dirs;
    ~Cleanup() {
      for (const std::string& d : dirs) RemoveDirectoryA(d.c_str());
    }
  } cleanup{made};
  for (const std::string& d : made) CreateDirectoryA(d.c_str(), nullptr);
  SetFileAttributesA((folders.ProgramsDir + "\\" + hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  Script(
      "[MAIN]\r\nAppName=Demo Product\r\nInstPath=<PROGRAM FILES>\\Demo\r\nFolderName=Demo "
      "Folder\r\nRunOnStart=1\r\nOnDesktop=0\r\nOnQuickLaunch=Yes\r\nOnStartMenu=0x1\r\n");

  SetupProcess setup(exe_, "", tmp_);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  Shot(main, "start-page");
  EXPECT_EQ(e2e::WindowText(main), "Setup [Demo Product]");
  EXPECT_EQ(e2e::WindowText(GetDlgItem(main, ids::kWelcomeLabel)),
            "Welcome\r\nto\r\nDemo Product\r\nsetup");
  EXPECT_EQ(e2e::WindowText(GetDlgItem(main, ids::kPathEdit)), folders.ProgramFilesDir + "\\Demo");
  EXPECT_EQ(e2e::WindowText(GetDlgItem(main, ids::kFolderEdit)), "Demo Folder");
  EXPECT_TRUE(e2e::IsChecked(GetDlgItem(main, ids::kStartUpBox)));
  EXPECT_FALSE(e2e::IsChecked(GetDlgItem(main, ids::kDesktopBox)));
  EXPECT_FALSE(e2e::IsChecked(GetDlgItem(main, ids::kQuickLaunchBox)));
  EXPECT_TRUE(e2e::IsChecked(GetDlgItem(main, ids::kSendToBox)));
  EXPECT_TRUE(e2e::IsChecked(GetDlgItem(main, ids::kAllUsersBox)));
  EXPECT_EQ(IsWindowEnabled(GetDlgItem(main, ids::kQuickLaunchBox)) != FALSE,
            !folders.QuickLaunchDir.empty());
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(main, ids::kUninstallPanel)));

  auto items = e2e::ListItems(GetDlgItem(main, ids::kFolderList));
  EXPECT_EQ(std::count(items.begin(), items.end(), both), 1);
  EXPECT_EQ(std::count(items.begin(), items.end(), user), 1);
  EXPECT_EQ(std::count(items.begin(), items.end(), common), 1);
  EXPECT_EQ(std::count(items.begin(), items.end(), hidden), 0);
  EXPECT_TRUE(std::is_sorted(items.begin(), items.end(), [](const auto& a, const auto& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
  }));

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
}

TEST_F(StartUp, MissingScriptGivesOneMessageAndEnds) {
  SetupProcess setup(exe_, "", tmp_);
  ExpectOnlyMessage(setup,
                    "Error - setup.ini File Missing!\r\nMake sure all files are extracted to "
                    "disk.\r\nSetup Aborted!");
}

TEST_F(StartUp, RunningApplicationStopsTheInstall) {
  Script("[MAIN]\nAppName=QvRunning" + std::to_string(GetCurrentProcessId()) + "\n");
  HANDLE mutex =
      CreateMutexA(nullptr, FALSE, ("QvRunning" + std::to_string(GetCurrentProcessId())).c_str());
  SetupProcess setup(exe_, "", tmp_);
  ExpectOnlyMessage(setup, RunningMessage(""));
  CloseHandle(mutex);
}

TEST_F(StartUp, RunningApplicationStopsTheUninstall) {
  const std::string app = "Qv Running " + std::to_string(GetCurrentProcessId());
  HANDLE mutex = CreateMutexA(nullptr, FALSE, app.c_str());
  SetupProcess setup(exe_, "\"/u:" + app + "\"", tmp_);
  ExpectOnlyMessage(setup, RunningMessage("un"));
  CloseHandle(mutex);
}

TEST_F(StartUp, ANameThatCouldNameAParentKeyIsRefusedInBothModes) {
  const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const std::string other = std::string(kUninstall) + "\\QvOtherProgram";
  HKEY h;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, other.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(h);
  {
    SetupProcess setup(exe_, "/u:", tmp_);
    ExpectOnlyMessage(
        setup, "Invalid argument \"/u:\": it names no application.\r\nNothing was removed.", 1);
  }
  Script("[MAIN]\nInstPath=C:\\Somewhere\n");
  {
    SetupProcess setup(exe_, "", tmp_);
    ExpectOnlyMessage(setup, "Setup script error: AppName is missing or invalid.", 1);
  }
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, other.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
  RegCloseKey(h);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, other.c_str());
}

TEST_F(StartUp, AFolderValueOfTheWrongTypeIsReportedAndTheWizardGoesOn) {
  const char kShellFolders[] =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  HKEY h;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
  char saved[MAX_PATH] = {};
  DWORD size = sizeof saved;
  RegQueryValueExA(h, "SendTo", nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size);
  const DWORD wrong = 7;
  RegSetValueExA(h, "SendTo", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&wrong), sizeof wrong);
  Script("[MAIN]\nAppName=Wrong Type\n");
  SetupProcess setup(exe_, "", tmp_);
  HWND box = setup.WaitForMessageBox();
  RegSetValueExA(h, "SendTo", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                 static_cast<DWORD>(strlen(saved) + 1));
  RegCloseKey(h);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageText(box), "Invalid data type for 'SendTo'");
  e2e::Answer(box, IDOK);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(e2e::WindowText(main), "Setup [Wrong Type]");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
}

TEST_F(StartUp, CapitalUStartsInstallMode) {
  Script("[MAIN]\nAppName=Upper\nOnQuickLaunch=1\n");
  SetupProcess setup(exe_, "/U:Upper", tmp_);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(e2e::WindowText(main), "Setup [Upper]");
  // Ticked from the script even where no Quick Launch folder enables it.
  EXPECT_TRUE(e2e::IsChecked(GetDlgItem(main, ids::kQuickLaunchBox)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(main, ids::kUninstallPanel)));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
}

TEST_F(StartUp, UninstallNameWithABlankArrivesWhole) {
  Script("[MAIN]\nAppName=Never Read\n");
  SetupProcess setup(exe_, "\"/u:My App\" second", tmp_);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  Sleep(300);
  Shot(main, "uninstall-panel");
  EXPECT_EQ(e2e::WindowText(main), "Uninstall My App");
  HWND panel = GetDlgItem(main, ids::kUninstallPanel);
  EXPECT_TRUE(IsWindowVisible(panel));
  EXPECT_EQ(e2e::WindowText(GetDlgItem(panel, ids::kUninstallStatus)), "My App");
  // The stored bitmap is painted over the panel: its top-left is dark slate.
  const COLORREF c = e2e::ScreenPixel(panel, 2, 2);
  EXPECT_LT(GetRValue(c) + GetGValue(c) + GetBValue(c), 3 * 100) << std::hex << c;
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
}

}  // namespace
