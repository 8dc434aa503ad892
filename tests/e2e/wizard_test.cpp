// The wizard's page flow as a user walks it: licence, start page, options
// page, cancel and Escape, and the uninstall panel's buttons.
#include <gtest/gtest.h>

#include <memory>

#include "setup/control_ids.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/screenshot.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;
using e2e::SetupProcess;

namespace {

const char kProceed[] = "Click here to proceed or press ESC to abort!";

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = ScratchDir("wiz-" + name_);
    tmp_ = dir_ + "\\tmp";
    CreateDirectoryA(tmp_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(HostPath(SETUP_EXE).c_str(), (dir_ + "\\setup.exe").c_str(), FALSE));
    WriteFile(dir_ + "\\setup.ini", "[MAIN]\r\nAppName=Wizard App\r\nInstPath=C:\\WizApp\r\n");
  }
  void TearDown() override { RemoveTree(dir_); }

  std::unique_ptr<SetupProcess> Start(const std::string& args = "") {
    return std::make_unique<SetupProcess>(dir_ + "\\setup.exe", args, tmp_);
  }
  void Shot(HWND hwnd, const std::string& tag) {
    e2e::SaveWindowShot(hwnd, HostPath(SHOT_DIR) + "\\" + tag + ".bmp");
  }
  // The start page is ready once the proceed line has its text.
  static bool WaitForStartPage(HWND main) {
    for (int i = 0; i < 100; ++i) {
      if (e2e::WindowText(GetDlgItem(main, ids::kProceedLine)) == kProceed) return true;
      Sleep(50);
    }
    return false;
  }
  static void ExpectMessageThenExit(SetupProcess& setup, const std::string& text) {
    HWND box = setup.WaitForMessageBox(10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(e2e::MessageText(box), text);
    e2e::PressButton(box, IDOK);
    EXPECT_EQ(setup.WaitForExit(10000), 0);
  }
  HWND GoToOptionsPage(SetupProcess& setup) {
    HWND main = setup.WaitForWindow("TForm1");
    if (!main || !WaitForStartPage(main)) return nullptr;
    e2e::ClickControl(GetDlgItem(main, ids::kProceedLine));
    return main;
  }

  std::string name_, dir_, tmp_;
};

TEST_F(Wizard, LicenceMustBeAcceptedBeforeTheStartPage) {
  WriteFile(dir_ + "\\license.txt", "LICENCE AGREEMENT\nLine two\n");
  auto setup = Start();
  HWND licence = setup->WaitForWindow("TForm2");
  ASSERT_NE(licence, nullptr);
  Shot(licence, "licence");
  EXPECT_EQ(e2e::WindowText(licence), "License Agreement");
  EXPECT_EQ(e2e::WindowText(GetDlgItem(licence, 200)), "LICENCE AGREEMENT\r\nLine two\r\n");
  HWND main = setup->FindWindow("TForm1");
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_NE(e2e::WindowText(GetDlgItem(main, ids::kProceedLine)), kProceed);
  // The text box keeps Tab and Enter for itself, yet Tab leaves it and Enter
  // there accepts, as in a dialog.
  HWND text = GetDlgItem(licence, ids::kLicenseText);
  e2e::PressKey(VK_TAB, true);
  ASSERT_EQ(e2e::FocusOf(licence), text);
  e2e::PressKey(VK_TAB);
  EXPECT_EQ(e2e::FocusOf(licence), GetDlgItem(licence, IDOK));
  e2e::PressKey(VK_TAB, true);
  e2e::PressKey(VK_RETURN);
  EXPECT_TRUE(WaitForStartPage(main));
  EXPECT_FALSE(IsWindowVisible(licence));
  EXPECT_TRUE(IsWindowEnabled(main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup->WaitForExit(10000), 0);
}

TEST_F(Wizard, RefusingOrClosingTheLicenceQuits) {
  WriteFile(dir_ + "\\license.txt", "terms");
  for (bool closeBox : {false, true}) {
    auto setup = Start();
    HWND licence = setup->WaitForWindow("TForm2");
    ASSERT_NE(licence, nullptr);
    if (closeBox)
      PostMessageA(licence, WM_CLOSE, 0, 0);
    else
      e2e::PressButton(licence, IDCANCEL);
    EXPECT_EQ(setup->WaitForExit(10000), 0) << "close box: " << closeBox;
    EXPECT_TRUE(List(tmp_, "*", true).empty());
  }
}

TEST_F(Wizard, UnreadableLicenceIsReportedAndTheWizardGoesOn) {
  CreateDirectoryA((dir_ + "\\license.txt").c_str(), nullptr);
  auto setup = Start();
  HWND box = setup->WaitForMessageBox(10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageText(box), "Can not load license.txt!");
  e2e::PressButton(box, IDOK);
  HWND main = setup->WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitForStartPage(main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup->WaitForExit(10000), 0);
}

TEST_F(Wizard, NoLicenceInUninstallMode) {
  WriteFile(dir_ + "\\license.txt", "terms");
  auto setup = Start("/u:Wizard App");
  HWND main = setup->WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  Sleep(500);
  HWND licence = setup->FindWindow("TForm2");
  EXPECT_FALSE(licence && IsWindowVisible(licence));
  EXPECT_TRUE(IsWindowEnabled(main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup->WaitForExit(10000), 0);
}

TEST_F(Wizard, EscapeOnTheStartPageCancels) {
  auto setup = Start();
  HWND main = setup->WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForStartPage(main));
  Shot(main, "start-page-proceed");
  // The welcome text is orange on a display deeper than 256 colours.
  Sleep(200);
  EXPECT_GT(e2e::CountPixels(GetDlgItem(main, ids::kWelcomeLabel), RGB(255, 128, 0)), 200);
  EXPECT_EQ(e2e::CountPixels(GetDlgItem(main, ids::kWelcomeLabel), RGB(255, 0, 255)), 0);
  PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
  ExpectMessageThenExit(*setup, "Setup cancelled!");
}

TEST_F(Wizard, OptionsPageAfterTheProceedLine) {
  auto setup = Start();
  HWND main = GoToOptionsPage(*setup);
  ASSERT_NE(main, nullptr);
  HWND path = GetDlgItem(main, ids::kPathEdit);
  for (int i = 0; i < 40 && !IsWindowVisible(path); ++i) Sleep(50);
  ASSERT_TRUE(IsWindowVisible(path));
  Shot(main, "options-page");
  RECT rc;
  GetClientRect(main, &rc);
  EXPECT_EQ(rc.bottom, 344);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(main, ids::kWelcomeLabel)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(main, ids::kProceedLine)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, ids::kSetupButton)));
  EXPECT_EQ(e2e::FocusOf(main), GetDlgItem(main, ids::kSetupButton));
  EXPECT_TRUE(e2e::IsChecked(GetDlgItem(main, ids::kAllUsersBox)));
  // Only the box shows: the control's margin beside it has the picture, not
  // a black corner nobody painted.
  EXPECT_NE(e2e::ScreenPixel(GetDlgItem(main, ids::kAllUsersBox), 14, 16), RGB(0, 0, 0));

  // A label beside a box does not toggle it; the box itself does.
  HWND box = GetDlgItem(main, ids::kStartUpBox);
  const bool before = e2e::IsChecked(box);
  e2e::ClickControl(GetDlgItem(main, ids::kStartUpLabel));
  EXPECT_EQ(e2e::IsChecked(box), before);
  e2e::ClickControl(box);
  EXPECT_NE(e2e::IsChecked(box), before);

  // Escape no longer cancels here.
  PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
  Sleep(700);
  EXPECT_EQ(setup->FindWindow("#32770"), nullptr);
  EXPECT_EQ(setup->WaitForExit(0), -1);

  e2e::ClickControl(GetDlgItem(main, ids::kCancelButton));
  ExpectMessageThenExit(*setup, "Setup cancelled!");
}

TEST_F(Wizard, KeysOnTheOptionsPageWorkAsInADialog) {
  auto setup = Start();
  HWND main = GoToOptionsPage(*setup);
  ASSERT_NE(main, nullptr);
  HWND path = GetDlgItem(main, ids::kPathEdit);
  for (int i = 0; i < 40 && !IsWindowVisible(path); ++i) Sleep(50);
  auto focus = [&] { return e2e::FocusOf(main); };
  auto item = [&](int id) { return GetDlgItem(main, id); };
  e2e::ClickControl(path);
  ASSERT_EQ(focus(), path);
  e2e::PressKey(VK_TAB);
  EXPECT_EQ(focus(), item(ids::kBrowseButton));
  e2e::PressKey(VK_TAB);
  e2e::PressKey(VK_TAB);  // the folder list is not a stop
  ASSERT_EQ(focus(), item(ids::kAllUsersBox));
  e2e::PressKey(VK_SPACE);
  EXPECT_FALSE(e2e::IsChecked(item(ids::kAllUsersBox)));
  // Enter on a box presses the default button, Setup.
  e2e::PressKey(VK_RETURN);
  HWND ask = setup->WaitForMessageBox(10000);
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(e2e::MessageText(ask), "Path does not exist, create it?");
  e2e::Answer(ask, IDCANCEL);
  // The focus is where it was, as a dialog keeps it over its message boxes.
  EXPECT_EQ(focus(), item(ids::kAllUsersBox));

  e2e::ClickControl(path);
  e2e::PressKey(VK_TAB, true);  // backwards, round to the last stop
  EXPECT_EQ(focus(), item(ids::kSetupButton));
  e2e::PressKey(VK_TAB, true);
  ASSERT_EQ(focus(), item(ids::kCancelButton));
  // Enter on another button presses that one, not Setup.
  e2e::PressKey(VK_RETURN);
  ExpectMessageThenExit(*setup, "Setup cancelled!");
}

TEST_F(Wizard, DirectoryPickerCreatesATypedDirectory) {
  auto setup = Start();
  HWND main = GoToOptionsPage(*setup);
  ASSERT_NE(main, nullptr);
  e2e::ClickControl(GetDlgItem(main, ids::kBrowseButton));
  HWND picker = setup->WaitForMessageBox(10000);
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(e2e::WindowText(picker), "Select Directory");
  Sleep(500);
  Shot(picker, "directory-picker");

  // Three levels that do not exist yet, typed into the name box.
  const std::string target = dir_ + "\\new one\\two\\three";
  HWND edit = FindWindowExA(picker, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
  e2e::PressButton(picker, IDOK);
  HWND ask = nullptr;
  for (int i = 0; i < 100 && !ask; ++i) {
    HWND w = setup->WaitForMessageBox(100);
    if (w && e2e::WindowText(w) == "Confirm") ask = w;
  }
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(e2e::MessageText(ask), "The specified directory does not exist. Create it?");
  e2e::PressButton(ask, IDYES);
  for (int i = 0; i < 100 && e2e::WindowText(GetDlgItem(main, ids::kPathEdit)) != target; ++i)
    Sleep(50);
  EXPECT_EQ(e2e::WindowText(GetDlgItem(main, ids::kPathEdit)), target);
  EXPECT_NE(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup->WaitForExit(10000), 0);
}

TEST_F(Wizard, UninstallButtonsHighlightUnderTheMouse) {
  auto setup = Start("/u:Wizard App");
  HWND main = setup->WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  HWND panel = GetDlgItem(main, ids::kUninstallPanel);
  HWND proceed = GetDlgItem(panel, ids::kProceedButton),
       abort = GetDlgItem(panel, ids::kAbortButton);
  Sleep(300);
  const COLORREF fuchsia = RGB(255, 0, 255), lime = RGB(0, 255, 0);
  EXPECT_EQ(e2e::ScreenPixel(proceed, 10, 12), fuchsia);
  e2e::MoveMouse(proceed, 20, 12);
  EXPECT_EQ(e2e::ScreenPixel(proceed, 10, 12), lime);
  e2e::MoveMouse(abort, 20, 12);
  EXPECT_EQ(e2e::ScreenPixel(proceed, 10, 12), fuchsia);
  EXPECT_EQ(e2e::ScreenPixel(abort, 10, 12), lime);
  e2e::MoveMouse(panel, 20, 20);  // onto the background: Abort stays lit
  EXPECT_EQ(e2e::ScreenPixel(abort, 10, 12), lime);
  Shot(main, "uninstall-hover");
  e2e::ClickControl(abort);
  EXPECT_EQ(setup->WaitForExit(10000), 0);
}

}  // namespace
