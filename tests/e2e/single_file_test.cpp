// The sample product as one file, alone in a download folder: the wizard
// shows the licence it carries and installs from it; the uninstaller left
// behind is the bare program, and nothing stays in the temporary folder.
#include <gtest/gtest.h>

#include "setup/control_ids.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/wizard_steps.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;
using e2e::SetupProcess;

namespace {

TEST(SingleFile, InstallsThroughTheWizardFromAFolderOfItsOwn) {
  const std::string root = ScratchDir("single");
  const std::string download = root + "\\Pobrane pliki Łukasza", tmp = root + "\\tmp";
  CreateDirectoryW(U(download).c_str(), nullptr);
  CreateDirectoryW(U(tmp).c_str(), nullptr);
  const std::string exe = download + "\\Quorvane Notes-setup.exe";
  ASSERT_TRUE(CopyFileW(U(HostPath(PRODUCT_SINGLE)).c_str(), U(exe).c_str(), FALSE));
  const std::string inst = root + "\\Quorvane Notes";

  SetupProcess setup(exe, "", tmp);
  HWND licence = setup.WaitForWindow("TForm2");
  ASSERT_NE(licence, nullptr);
  EXPECT_EQ(e2e::WindowText(GetDlgItem(licence, ids::kLicenseText)).substr(0, 20),
            ReadFile(HostPath(PRODUCT_FOLDER) + "\\license.txt").substr(0, 20));
  e2e::PressButton(licence, IDOK);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  for (int i = 0; i < 100 && e2e::WindowText(GetDlgItem(main, ids::kProceedLine)).empty(); ++i)
    Sleep(50);
  e2e::ClickControl(GetDlgItem(main, ids::kProceedLine));
  // What was checked at start is what installs: the file cannot be swapped.
  EXPECT_FALSE(MoveFileW(U(exe).c_str(), U(exe + ".old").c_str()));
  // Nor the script and licence it wrote out: they are read by name.
  // (Beside them, in a folder of its own too, the stored files.)
  std::string carried;
  for (const std::string& own : List(tmp, "qvsetup-*", true))
    if (Exists(tmp + "\\" + own + "\\setup.ini")) carried = tmp + "\\" + own;
  ASSERT_FALSE(carried.empty());
  for (const char* part : {"\\setup.ini", "\\license.txt"})
    EXPECT_EQ(CreateFileW(U(carried + part).c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0,
                          nullptr),
              INVALID_HANDLE_VALUE)
        << part;
  const std::wstring path = U(inst);
  SendMessageW(GetDlgItem(main, ids::kPathEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(path.c_str()));
  ASSERT_NO_FATAL_FAILURE(e2e::SetupToCompletion(setup, main));

  EXPECT_EQ(ReadFile(inst + "\\Docs\\readme.txt"),
            ReadFile(HostPath(PRODUCT_FOLDER) + "\\Docs\\readme.txt"));
  EXPECT_EQ(ReadFile(inst + "\\setup.exe"), ReadFile(HostPath(SETUP_EXE)));
  // Nothing at all stays: the carried parts, the unzip tool, its archive copy.
  EXPECT_EQ(List(tmp, "*", true), std::vector<std::string>{});
  EXPECT_EQ(RunProcess("\"" + inst + "\\setup.exe\" \"/u:Quorvane Notes\" /S"), 0);
  EXPECT_FALSE(Exists(inst));
  RemoveTree(root);
}

}  // namespace
