// A product named in Latin, Polish and Japanese letters, through the
// wizard: every page shows its names exactly, the installation keeps them in
// files, shortcuts, the registry and setup.log, and the removal takes it all.
#include <gtest/gtest.h>

#include <algorithm>

#include "setup/control_ids.hpp"
#include "shell/shell_folders.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/screenshot.hpp"
#include "tests/e2e/wizard_steps.hpp"
#include "tests/win/link_reader.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;
using e2e::SetupProcess;

namespace {

const std::string kApp = "Café Łódź 東京";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kApp;

void Shot(HWND window, const char* name) {
  e2e::SaveWindowShot(window, HostPath(SHOT_DIR) + "\\" + name);
}

TEST(UnicodeProduct, TheWizardShowsItsNamesAndTheRemovalTakesItAll) {
  TShellFolders folders;
  ReadShellFolders(folders);
  const std::string root = ScratchDir("unicode");
  const std::string pkg = root + "\\Pakiet Łódź 東京", tmp = root + "\\tmp";
  CreateDirectoryW(U(pkg).c_str(), nullptr);
  CreateDirectoryW(U(tmp).c_str(), nullptr);
  for (const char* f : {"setup.exe", "setup.dat"})
    ASSERT_TRUE(
        CopyFileW(U(HostPath(PRODUCT_DIR) + "\\" + f).c_str(), U(pkg + "\\" + f).c_str(), FALSE));
  const std::string inst = root + "\\Programme\\Łódź Notes";
  const std::string folder = "Programy Łódź 東京 " + std::to_string(GetCurrentProcessId());
  const std::string existing = folders.CommonProgramsDir + "\\Istniejący 東京";
  CreateDirectoryW(U(existing).c_str(), nullptr);
  WriteFile(pkg + "\\setup.ini",
            "\xEF\xBB\xBF[MAIN]\r\nAppName=" + kApp + "\r\nInstPath=" + inst +
                "\r\nFolderName=" + folder +
                "\r\nDiskSpace=1000\r\nProgram=Quorvane Notes.exe\r\nOnDesktop=1\r\n"
                "[GROUPS]\r\nName0=Dokumenty\r\nDir0=<application path>\\Dokumenty 東京\r\n"
                "[FILES]\r\nName0=Quorvane Notes.exe*\r\nGroup0=Main*\r\nShortCut0=Yes*\r\n"
                "Descritpion0=" +
                kApp +
                "*\r\nName1=readme.txt*\r\nGroup1=Dokumenty*\r\nShortCut1=Yes*\r\n"
                "Descritpion1=Przeczytaj mnie — 読んで*\r\n");
  WriteFile(pkg + "\\license.txt", "\xEF\xBB\xBFUmowa licencyjna: Łódź, 東京.\r\n");

  SetupProcess setup(pkg + "\\setup.exe", "", tmp);
  HWND licence = setup.WaitForWindow("TForm2");
  ASSERT_NE(licence, nullptr);
  EXPECT_EQ(e2e::WindowText(GetDlgItem(licence, ids::kLicenseText)),
            "Umowa licencyjna: Łódź, 東京.\r\n");
  Shot(licence, "unicode-licence.bmp");
  e2e::PressButton(licence, IDOK);
  HWND main = setup.WaitForWindow("TForm1");
  ASSERT_NE(main, nullptr);
  for (int i = 0; i < 100 && e2e::WindowText(GetDlgItem(main, ids::kProceedLine)).empty(); ++i)
    Sleep(50);
  EXPECT_EQ(e2e::WindowText(main), "Setup [" + kApp + "]");
  EXPECT_EQ(e2e::WindowText(GetDlgItem(main, ids::kWelcomeLabel)),
            "Welcome\r\nto\r\n" + kApp + "\r\nsetup");
  Shot(main, "unicode-welcome.bmp");
  e2e::ClickControl(GetDlgItem(main, ids::kProceedLine));
  EXPECT_EQ(e2e::WindowText(GetDlgItem(main, ids::kPathEdit)), inst);
  EXPECT_EQ(e2e::WindowText(GetDlgItem(main, ids::kFolderEdit)), folder);
  const std::vector<std::string> listed = e2e::ListItems(GetDlgItem(main, ids::kFolderList));
  EXPECT_NE(std::find(listed.begin(), listed.end(), "Istniejący 東京"), listed.end());
  Shot(main, "unicode-options.bmp");
  ASSERT_NO_FATAL_FAILURE(e2e::SetupToCompletion(setup, main));

  const std::string group = folders.CommonProgramsDir + "\\" + folder;
  EXPECT_EQ(ReadFile(inst + "\\Dokumenty 東京\\readme.txt"),
            ReadFile(HostPath(PRODUCT_FOLDER) + "\\Docs\\readme.txt"));
  EXPECT_EQ(ReadLink(group + "\\" + kApp + ".lnk").path, inst + "\\Quorvane Notes.exe");
  EXPECT_EQ(ReadLink(group + "\\Przeczytaj mnie — 読んで.lnk").path,
            inst + "\\Dokumenty 東京\\readme.txt");
  EXPECT_EQ(ReadLink(folders.CommonDesktopDir + "\\" + kApp + ".lnk").path,
            inst + "\\Quorvane Notes.exe");
  EXPECT_EQ(RegValue(kUninstall, "DisplayName"), kApp);
  EXPECT_EQ(RegValue(kUninstall, "DisplayIcon"), inst + "\\Quorvane Notes.exe");
  // Beyond the ANSI code page: UTF-8 after a byte order mark.
  const std::string log = ReadFile(inst + "\\setup.log");
  EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(log.find("\r\n>>>> " + inst + "\\Dokumenty 東京\\readme.txt\r\n"), std::string::npos);
  EXPECT_NE(log.find("\r\n>> " + folders.CommonDesktopDir + "\\" + kApp + ".lnk\r\n"),
            std::string::npos);

  // Removal through the stored command and the panel.
  SetupProcess removal(RegValue(kUninstall, "UninstallString"), tmp);
  HWND panel = removal.WaitForWindow("TForm1");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(e2e::WindowText(panel), "Uninstall " + kApp);
  Shot(panel, "unicode-uninstall.bmp");
  e2e::ClickControl(GetDlgItem(GetDlgItem(panel, ids::kUninstallPanel), ids::kProceedButton));
  HWND removed = removal.WaitForMessageBox(30000);
  ASSERT_NE(removed, nullptr);
  EXPECT_EQ(e2e::MessageText(removed), "Application removed!");
  e2e::PressButton(removed, IDOK);
  EXPECT_EQ(removal.WaitForExit(15000), 0);
  EXPECT_FALSE(Exists(inst));
  EXPECT_FALSE(Exists(group));
  EXPECT_FALSE(Exists(folders.CommonDesktopDir + "\\" + kApp + ".lnk"));
  EXPECT_EQ(RegValue(kUninstall, "DisplayName"), "<missing>");
  RemoveDirectoryW(U(existing).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, U("Software\\Quorvane\\" + kApp).c_str());
  RemoveTree(root);
}

}  // namespace
