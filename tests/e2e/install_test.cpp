// Installations driven through the windows: a full one of the sample
// product, and one aborted at a file error.
#include <gtest/gtest.h>

#include "setup/control_ids.hpp"
#include "shell/shell_folders.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/screenshot.hpp"
#include "tests/win/link_reader.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;
using e2e::SetupProcess;

namespace {

TShellFolders folders;  // as the program reads them

const char kApp[] = "Quorvane Notes";

class Install : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadShellFolders(folders);
    dir_ = ScratchDir("inst-" +
                      std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    tmp_ = dir_ + "\\tmp";
    CreateDirectoryA(tmp_.c_str(), nullptr);
    for (const char* f : {"setup.exe", "setup.dat"})
      ASSERT_TRUE(
          CopyFileA((HostPath(PRODUCT_DIR) + "\\" + f).c_str(), (dir_ + "\\" + f).c_str(), FALSE));
    inst_ = dir_ + "\\Program Files\\Qv Notes";  // blanks, and two levels to create
    folder_ = "QvTest Folder " + std::to_string(GetCurrentProcessId());
    group_ = folders.CommonProgramsDir + "\\" + folder_;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Quorvane\\Quorvane Notes");
  }
  void TearDown() override {
    // The started application holds its mutex until it has ended; the next
    // test's setup would take it for running.
    for (int i = 0; i < 100; ++i) {
      HWND app = FindWindowA("QuorvaneNotes", nullptr);
      HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kApp);
      if (mutex) CloseHandle(mutex);
      if (!app && !mutex) break;
      if (app) PostMessageA(app, WM_CLOSE, 0, 0);
      Sleep(100);
    }
    RemoveTree(group_);
    DeleteFileA((folders.CommonDesktopDir + "\\Quorvane Notes.lnk").c_str());
    RemoveTree(dir_);
    for (const char* key :
         {"Software\\Quorvane\\Quorvane Notes",
          "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quorvane Notes.exe",
          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane Notes"})
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
  }

  // Without a byte order mark, as older scripts are: the path in the ANSI
  // code page.
  void Script(const std::string& files, const std::string& diskSpace = "1000") {
    std::string ansiPath;
    for (const wchar_t c : U(inst_)) ansiPath += static_cast<char>(c);  // Latin-1 letters only
    WriteFile(dir_ + "\\setup.ini",
              "[MAIN]\r\nAppName=Quorvane Notes\r\nInstPath=" + ansiPath +
                  "\r\nFolderName=" + folder_ + "\r\nDiskSpace=" + diskSpace +
                  "\r\nOnDesktop=1\r\n[GROUPS]\r\nName0=Docs\r\n"
                  "Dir0=<application path>\\Docs\r\nName1=Data\r\nDir1=<application path>\\Data\r\n"
                  "[FILES]\r\n" +
                  files);
  }

  // Start page, proceed to the options page. Returns the main window.
  HWND OptionsPage(SetupProcess& setup) {
    HWND main = setup.WaitForWindow("TForm1");
    if (!main) {
      if (HWND box = setup.FindWindow("#32770")) ADD_FAILURE() << e2e::MessageText(box);
      return nullptr;
    }
    for (int i = 0; i < 100 && e2e::WindowText(GetDlgItem(main, ids::kProceedLine)).empty(); ++i)
      Sleep(50);
    e2e::ClickControl(GetDlgItem(main, ids::kProceedLine));
    return main;
  }

  // Start page, proceed, Setup, "create it?" Yes. Returns the main window.
  HWND PressSetup(SetupProcess& setup) {
    HWND main = OptionsPage(setup);
    if (!main) return nullptr;
    e2e::ClickControl(GetDlgItem(main, ids::kSetupButton));
    HWND ask = setup.WaitForMessageBox(10000);
    if (!ask || e2e::WindowText(ask) != "Confirm") return nullptr;
    EXPECT_EQ(e2e::MessageText(ask), "Path does not exist, create it?");
    e2e::Answer(ask, IDYES);
    return main;
  }

  // Waits for the started application, closes it and waits until its mutex
  // has gone. False when it never started.
  static bool CloseApplication() {
    HWND app = nullptr;
    for (int i = 0; i < 100 && !app; ++i) {
      app = FindWindowA("QuorvaneNotes", nullptr);
      if (!app) Sleep(100);
    }
    if (!app) return false;
    PostMessageA(app, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100; ++i) {
      HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kApp);
      if (!mutex) break;
      CloseHandle(mutex);
      Sleep(100);
    }
    return true;
  }

  // A full installation of the sample product; the started application
  // is closed again.
  bool InstallProduct() {
    Script(kFullScript);
    SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
    if (!PressSetup(setup)) return false;
    HWND done = setup.WaitForMessageBox(60000);
    if (!done || e2e::MessageText(done) != "Setup Completed!") {
      ADD_FAILURE() << (done ? e2e::MessageText(done) : "no result message");
      return false;
    }
    e2e::Answer(done, IDOK);
    if (setup.WaitForExit(15000) != 0) return false;
    return CloseApplication();
  }

  // Runs an uninstall command line, presses Proceed; returns the message.
  std::string Uninstall(const std::string& commandLine) {
    SetupProcess un(commandLine, tmp_);
    HWND main = un.WaitForWindow("TForm1");
    // How it ended tells a crash (0xC0000005 and the like) from a refusal.
    if (!main) return "<no window, exit " + std::to_string(un.WaitForExit(0)) + ">";
    HWND panel = GetDlgItem(main, ids::kUninstallPanel);
    Sleep(300);
    e2e::ClickControl(GetDlgItem(panel, ids::kProceedButton));
    HWND box = un.WaitForMessageBox(30000);
    if (!box) return "<no message>";
    const std::string text = e2e::MessageText(box);
    e2e::Answer(box, IDOK);
    EXPECT_EQ(un.WaitForExit(15000), 0);
    return text;
  }

  static constexpr const char* kFullScript =
      "Name0=Quorvane Notes.exe*\r\nGroup0=Main*\r\nShortCut0=Yes*\r\nDescritpion0=Quorvane "
      "Notes*\r\nName1=readme.txt*\r\nGroup1=Docs*\r\nShortCut1=Yes*\r\nDescritpion1=Read me*\r\n"
      "Name2=NOTES.DAT*\r\nGroup2=Data*\r\nShortCut2=No*\r\nDescritpion2=Notes*\r\n";

  std::string dir_, tmp_, inst_, folder_, group_;
};

TEST_F(Install, TheSampleProductFromEndToEnd) {
  Script(kFullScript);
  SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
  ASSERT_NE(PressSetup(setup), nullptr);
  HWND done = setup.WaitForMessageBox(60000);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(e2e::MessageText(done), "Setup Completed!");
  e2e::PressButton(done, IDOK);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
  EXPECT_TRUE(CloseApplication()) << "the application was not started";

  const std::string payload = HostPath(PRODUCT_FOLDER);
  EXPECT_EQ(ReadFile(inst_ + "\\Quorvane Notes.exe"), ReadFile(payload + "\\Quorvane Notes.exe"));
  EXPECT_EQ(ReadFile(inst_ + "\\Docs\\readme.txt"), ReadFile(payload + "\\Docs\\readme.txt"));
  EXPECT_EQ(ReadFile(inst_ + "\\Data\\NOTES.DAT"), ReadFile(payload + "\\Data\\notes.dat"));
  EXPECT_EQ(ReadFile(inst_ + "\\setup.exe"), ReadFile(dir_ + "\\setup.exe"));

  EXPECT_EQ(ReadLink(group_ + "\\Quorvane Notes.lnk").path, inst_ + "\\Quorvane Notes.exe");
  EXPECT_EQ(ReadLink(group_ + "\\Read me.lnk").path, inst_ + "\\Docs\\readme.txt");
  EXPECT_EQ(ReadLink(folders.CommonDesktopDir + "\\Quorvane Notes.lnk").path,
            inst_ + "\\Quorvane Notes.exe");
  const LinkFields uninstall = ReadLink(group_ + "\\uninstall.lnk");
  EXPECT_EQ(uninstall.path, inst_ + "\\setup.exe");
  EXPECT_EQ(uninstall.args, "\"/u:Quorvane Notes\"");

  const std::string command = "\"" + inst_ + "\\setup.exe\" \"/u:Quorvane Notes\"";
  EXPECT_EQ(RegValue("Software\\Quorvane\\Quorvane Notes", "Path"), inst_);
  EXPECT_EQ(
      RegValue("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quorvane Notes.exe", ""),
      inst_ + "\\Quorvane Notes.exe");
  EXPECT_EQ(RegValue("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane Notes",
                     "UninstallString"),
            command);

  const std::string log = ReadFile(inst_ + "\\setup.log");
  const std::string expected =
      "Installing files...\r\nextracting Quorvane Notes.exe to\r\n>>>> " + inst_ +
      "\\Quorvane Notes.exe\r\nExtracting File...Quorvane Notes.exe\r\nextracting readme.txt to\r\n"
      ">>>> " +
      inst_ +
      "\\Docs\\readme.txt\r\nExtracting File...readme.txt\r\nextracting "
      "NOTES.DAT to\r\n>>>> " +
      inst_ +
      "\\Data\\NOTES.DAT\r\nExtracting File...NOTES.DAT\r\n"
      "Creating Shortcuts...\r\nGroup " +
      folder_ +
      " created\r\nItem Quorvane Notes created\r\n"
      ">>>> " +
      group_ + "\\Quorvane Notes.lnk\r\nItem Read me created\r\n>>>> " + group_ +
      "\\Read me.lnk\r\nDeskTop shortcut created\r\n>> " + folders.CommonDesktopDir +
      "\\Quorvane Notes.lnk\r\nUninstall shortcut created\r\n>>>> " + group_ +
      "\\uninstall.lnk\r\nCreating Keys...\r\n";
  EXPECT_EQ(log.substr(0, expected.size()), expected);
  EXPECT_NE(log.find("UninstallString=" + command + "\r\n"), std::string::npos);
  EXPECT_TRUE(List(tmp_, "*", true).empty());
}

TEST_F(Install, AbortAtAFileErrorStopsBeforeShortcutsAndKeys) {
  Script(
      "Name0=readme.txt*\r\nGroup0=Docs*\r\nShortCut0=Yes*\r\nDescritpion0=Read me*\r\n"
      "Name1=missing.bin*\r\nGroup1=Data*\r\nShortCut1=No*\r\nDescritpion1=Missing*\r\n"
      "Name2=notes.dat*\r\nGroup2=Data*\r\nShortCut2=No*\r\nDescritpion2=Notes*\r\n");
  SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
  ASSERT_NE(PressSetup(setup), nullptr);
  HWND warning = setup.WaitForMessageBox(60000);
  ASSERT_NE(warning, nullptr);
  EXPECT_EQ(e2e::WindowText(warning), "Warning");
  EXPECT_EQ(e2e::MessageText(warning), "Error 11\r\ncopying missing.bin");  // no such member
  e2e::SaveWindowShot(warning, HostPath(SHOT_DIR) + "\\file-error.bmp");
  // Exactly two buttons: Abort and Ignore.
  EXPECT_EQ(e2e::WindowText(GetDlgItem(warning, IDABORT)), "&Abort");
  EXPECT_EQ(e2e::WindowText(GetDlgItem(warning, IDIGNORE)), "&Ignore");
  EXPECT_EQ(GetDlgItem(warning, IDRETRY), nullptr);
  e2e::Answer(warning, IDABORT);
  HWND result = setup.WaitForMessageBox(20000);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(e2e::MessageText(result), "Error - Setup incomplete!");
  e2e::PressButton(result, IDOK);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
  const std::string log = ReadFile(inst_ + "\\setup.log");
  EXPECT_NE(log.find(">>>> " + inst_ + "\\Docs\\readme.txt\r\n"), std::string::npos);
  EXPECT_NE(log.find(">>>> " + inst_ + "\\Data\\missing.bin\r\n"), std::string::npos);
  EXPECT_EQ(log.find("notes.dat"), std::string::npos);
  EXPECT_EQ(log.find("Creating Shortcuts..."), std::string::npos);
  EXPECT_FALSE(Exists(group_));
  EXPECT_EQ(RegValue("Software\\Quorvane\\Quorvane Notes", "Path"), "<missing>");
  EXPECT_FALSE(Exists(inst_ + "\\setup.exe"));
}

TEST_F(Install, PathQuestionNoThenYesCreatesEveryLevel) {
  inst_ = dir_ + "\\one\\two\\three";
  Script(kFullScript);
  SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
  HWND main = OptionsPage(setup);
  ASSERT_NE(main, nullptr);
  e2e::ClickControl(GetDlgItem(main, ids::kSetupButton));
  HWND ask = setup.WaitForMessageBox(10000);
  ASSERT_NE(ask, nullptr);
  e2e::Answer(ask, IDNO);
  Sleep(300);
  EXPECT_FALSE(Exists(dir_ + "\\one"));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, ids::kPathEdit)));  // still on the options page
  e2e::ClickControl(GetDlgItem(main, ids::kSetupButton));
  ask = setup.WaitForMessageBox(10000);
  ASSERT_NE(ask, nullptr);
  e2e::Answer(ask, IDYES);
  HWND done = setup.WaitForMessageBox(60000);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(e2e::MessageText(done), "Setup Completed!");
  e2e::Answer(done, IDOK);
  EXPECT_EQ(setup.WaitForExit(15000), 0);
  EXPECT_TRUE(Exists(inst_ + "\\Quorvane Notes.exe"));
  EXPECT_TRUE(CloseApplication());
}

TEST_F(Install, NotEnoughSpaceIsReportedInKilobytes) {
  Script(kFullScript, "9000000000000000");
  SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
  HWND main = OptionsPage(setup);
  ASSERT_NE(main, nullptr);
  e2e::ClickControl(GetDlgItem(main, ids::kSetupButton));
  HWND box = setup.WaitForMessageBox(10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageText(box),
            "Error - Not enough free space on this drive.\r\nSetup requires 8789062500100 kb!\r\n"
            "Delete some files or choose another drive.");
  e2e::Answer(box, IDOK);
  EXPECT_FALSE(Exists(inst_));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, ids::kSetupButton)));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup.WaitForExit(10000), 0);
}

TEST_F(Install, CancelOrCloseDuringTheFileLoopSavesTheLogAndEnds) {
  std::string files;
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i);
    files += "Name" + n + "=readme.txt*\r\nGroup" + n + "=G" + n + "*\r\nShortCut" + n +
             "=No*\r\nDescritpion" + n + "=R*\r\n";
  }
  Script(files);
  // Cancel, then the window's close (Alt+F4, the taskbar): the same end.
  for (bool close : {false, true}) {
    SCOPED_TRACE(close ? "close" : "cancel");
    RemoveTree(inst_);
    SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
    HWND main = PressSetup(setup);
    ASSERT_NE(main, nullptr);
    Sleep(800);
    if (close)
      PostMessageA(main, WM_CLOSE, 0, 0);
    else
      e2e::ClickControl(GetDlgItem(main, ids::kCancelButton));
    HWND cancelled = setup.WaitForMessageBox(10000);
    ASSERT_NE(cancelled, nullptr);
    EXPECT_EQ(e2e::MessageText(cancelled), "Setup cancelled!");
    e2e::Answer(cancelled, IDOK);
    HWND result = setup.WaitForMessageBox(10000);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(e2e::MessageText(result), "Error - Setup incomplete!");
    e2e::Answer(result, IDOK);
    EXPECT_EQ(setup.WaitForExit(5000), 0);
    EXPECT_TRUE(List(tmp_, "*", true).empty()) << "left in the temporary folder";
    const std::string log = ReadFile(inst_ + "\\setup.log");
    EXPECT_NE(log.find("Installing files..."), std::string::npos);
    EXPECT_EQ(log.find("Creating Shortcuts..."), std::string::npos);
    // Stopped after the file in hand: not all six were tried.
    size_t tried = 0;
    for (size_t at = log.find("extracting readme.txt to"); at != std::string::npos;
         at = log.find("extracting readme.txt to", at + 1))
      ++tried;
    EXPECT_GE(tried, 1u);
    EXPECT_LT(tried, 6u);
  }
}

TEST_F(Install, AParameterStringOf256EndsTheProgramButKeepsTheLog) {
  // -Coq "archive" "member" -d"dir": make it exactly 256 characters.
  const std::string archive = dir_ + "\\setup.dat";
  const size_t fixed = std::string("-Coq \"\" \"readme.txt\" -d\"\"").size() + archive.size();
  std::string pad(256 - fixed - (dir_.size() + 1), 'x');
  inst_ = dir_ + "\\" + pad;
  Script("Name0=readme.txt*\r\nGroup0=Main*\r\nShortCut0=No*\r\nDescritpion0=R*\r\n");
  SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
  ASSERT_NE(PressSetup(setup), nullptr);
  HWND box = setup.WaitForMessageBox(20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageText(box),
            "Path too long!\r\nTry extracting all files locally.\r\nSetup incomplete!");
  e2e::Answer(box, IDOK);
  EXPECT_EQ(setup.WaitForExit(10000), 0);
  // Saved before the end, so that the uninstaller can still remove things.
  EXPECT_NE(ReadFile(inst_ + "\\setup.log").find(">>>> " + inst_ + "\\readme.txt"),
            std::string::npos);
  EXPECT_TRUE(List(tmp_, "*", true).empty());
}

TEST_F(Install, ADamagedMemberIsAnErrorNotAnInstalledFile) {
  // Flip a byte inside readme.txt's compressed data: a CRC error for UnZip.
  std::string zip = ReadFile(dir_ + "\\setup.dat");
  const size_t header = zip.find(std::string("PK\x03\x04", 4) + "");
  size_t at = zip.find("readme.txt");
  ASSERT_NE(header, std::string::npos);
  ASSERT_NE(at, std::string::npos);
  const size_t data = at + 10 + static_cast<unsigned char>(zip[at - 2]);  // past name and extra
  zip[data + 20] = static_cast<char>(zip[data + 20] ^ 0x55);
  WriteFile(dir_ + "\\setup.dat", zip);
  Script("Name0=readme.txt*\r\nGroup0=Main*\r\nShortCut0=No*\r\nDescritpion0=R*\r\n");
  SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
  ASSERT_NE(PressSetup(setup), nullptr);
  HWND warning = setup.WaitForMessageBox(30000);
  ASSERT_NE(warning, nullptr);
  EXPECT_EQ(e2e::WindowText(warning), "Warning");
  const std::string text = e2e::MessageText(warning);
  EXPECT_TRUE(text == "Error 2\r\ncopying readme.txt" || text == "Error 1\r\ncopying readme.txt" ||
              text.rfind("Error ", 0) == 0)
      << text;
  EXPECT_NE(text, "Error 0\r\ncopying readme.txt");
  e2e::Answer(warning, IDABORT);
  HWND result = setup.WaitForMessageBox(20000);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(e2e::MessageText(result), "Error - Setup incomplete!");
  e2e::Answer(result, IDOK);
  EXPECT_EQ(setup.WaitForExit(10000), 0);
}

TEST_F(Install, WithoutTheApplicationAmongTheFilesItCannotBeLaunched) {
  Script("Name0=readme.txt*\r\nGroup0=Docs*\r\nShortCut0=No*\r\nDescritpion0=R*\r\n");
  SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
  ASSERT_NE(PressSetup(setup), nullptr);
  HWND done = setup.WaitForMessageBox(60000);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(e2e::MessageText(done), "Setup Completed!");
  e2e::Answer(done, IDOK);
  HWND launch = setup.WaitForMessageBox(20000);
  ASSERT_NE(launch, nullptr);
  EXPECT_EQ(e2e::MessageText(launch), "Can not launch " + inst_ + "\\Quorvane Notes.exe");
  e2e::Answer(launch, IDOK);
  EXPECT_EQ(setup.WaitForExit(10000), 0);
}

TEST_F(Install, UninstallByTheRegistrysCommandRemovesEverything) {
  ASSERT_TRUE(InstallProduct());
  const std::string command = RegValue(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane Notes", "UninstallString");
  EXPECT_EQ(Uninstall(command), "Application removed!");
  EXPECT_FALSE(Exists(inst_));
  EXPECT_FALSE(Exists(group_));
  EXPECT_FALSE(Exists(folders.CommonDesktopDir + "\\Quorvane Notes.lnk"));
  EXPECT_EQ(RegValue("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane Notes",
                     "DisplayName"),
            "<missing>");
  EXPECT_EQ(
      RegValue("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quorvane Notes.exe", ""),
      "<missing>");
  EXPECT_EQ(RegValue("Software\\Quorvane\\Quorvane Notes", "Path"), inst_);  // stays
}

TEST_F(Install, UninstallByTheShortcutLeavesFilesTheApplicationMade) {
  ASSERT_TRUE(InstallProduct());
  WriteFile(inst_ + "\\Data\\my notes.txt", "mine");
  const LinkFields link = ReadLink(group_ + "\\uninstall.lnk");
  EXPECT_EQ(Uninstall("\"" + link.path + "\" " + link.args), "Some files could not be removed!");
  EXPECT_EQ(ReadFile(inst_ + "\\Data\\my notes.txt"), "mine");
  EXPECT_FALSE(Exists(inst_ + "\\Data\\NOTES.DAT"));
  EXPECT_FALSE(Exists(inst_ + "\\Docs"));
  EXPECT_FALSE(Exists(inst_ + "\\setup.log"));
  EXPECT_FALSE(Exists(group_));
}

TEST_F(Install, OddPathsRoundTripThroughTheLog) {
  // Blanks, a character above 127 in the ANSI code page, a trailing
  // backslash: what the installation logs, the uninstaller finds.
  inst_ = dir_ + "\\Café Notes\\";
  ASSERT_TRUE(InstallProduct());
  EXPECT_TRUE(Exists(dir_ + "\\Café Notes\\Docs\\readme.txt"));
  DeleteFileW(U(dir_ + "\\Café Notes\\Data\\NOTES.DAT").c_str());  // a record without file
  const std::string command = RegValue(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane Notes", "UninstallString");
  EXPECT_EQ(Uninstall(command), "Application removed!");
  EXPECT_FALSE(Exists(dir_ + "\\Café Notes"));
  EXPECT_FALSE(Exists(group_));
}

TEST_F(Install, UninstallAfterAnAbortedInstallation) {
  Script(
      "Name0=readme.txt*\r\nGroup0=Docs*\r\nShortCut0=Yes*\r\nDescritpion0=Read me*\r\n"
      "Name1=missing.bin*\r\nGroup1=Data*\r\nShortCut1=No*\r\nDescritpion1=Missing*\r\n");
  {
    SetupProcess setup(dir_ + "\\setup.exe", "", tmp_);
    ASSERT_NE(PressSetup(setup), nullptr);
    HWND warning = setup.WaitForMessageBox(60000);
    ASSERT_NE(warning, nullptr);
    e2e::Answer(warning, IDABORT);
    HWND result = setup.WaitForMessageBox(20000);
    ASSERT_NE(result, nullptr);
    e2e::Answer(result, IDOK);
    EXPECT_EQ(setup.WaitForExit(15000), 0);
  }
  // The setup program was not copied; the user runs it from the log's side.
  ASSERT_TRUE(CopyFileA((dir_ + "\\setup.exe").c_str(), (inst_ + "\\setup.exe").c_str(), FALSE));
  EXPECT_EQ(Uninstall("\"" + inst_ + "\\setup.exe\" \"/u:Quorvane Notes\""),
            "Application removed!");
  EXPECT_FALSE(Exists(inst_));
}

TEST_F(Install, UninstallWithoutALogSaysSo) {
  Script(kFullScript);
  EXPECT_EQ(Uninstall("\"" + dir_ + "\\setup.exe\" \"/u:Quorvane Notes\""),
            "ERROR - Setup Log File Missing!\r\nFiles must be removed manually.");
  EXPECT_TRUE(Exists(dir_ + "\\setup.exe"));
}

}  // namespace
