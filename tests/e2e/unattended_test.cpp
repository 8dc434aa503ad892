// Unattended runs as a deployment system makes them: switches, the exit
// code of every kind of end, nothing asked, and the installation a quiet
// removal undoes.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include "shell/shell_folders.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/wizard_steps.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;
using e2e::SetupProcess;

namespace {

const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class Unattended : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = ScratchDir("un-" + name_);
    tmp_ = dir_ + "\\tmp";
    CreateDirectoryA(tmp_.c_str(), nullptr);
    for (const char* f : {"setup.exe", "setup.dat", "license.txt"})
      ASSERT_TRUE(
          CopyFileA((HostPath(PRODUCT_DIR) + "\\" + f).c_str(), (dir_ + "\\" + f).c_str(), FALSE));
    app_ = "Qv Quiet " + std::to_string(GetCurrentProcessId());
    inst_ = dir_ + "\\Program Files\\Quiet App";
    Script("readme.txt");
  }
  void TearDown() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      RegDeleteTreeA(root, (kUninstall + app_).c_str());
      RegDeleteTreeA(root, ("Software\\Quorvane\\" + app_).c_str());
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("Software\\Quorvane\\" + app_).c_str());
    RegDeleteTreeA(
        HKEY_LOCAL_MACHINE,
        ("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + app_ + ".exe").c_str());
    TShellFolders f;
    ReadShellFolders(f);
    RemoveTree(f.ProgramsDir + "\\" + app_);
    DeleteFileA((f.DesktopDir + "\\" + app_ + ".lnk").c_str());
    RemoveTree(dir_);
  }

  // Two files, in Main and Docs; the second one's shortcut is the main one.
  void Script(const std::string& second, const std::string& diskSpace = "1000",
              const std::string& program = "") {
    WriteFile(dir_ + "\\setup.ini",
              "[MAIN]\r\nAppName=" + app_ + "\r\nInstPath=" + inst_ + "\r\nFolderName=" + app_ +
                  "\r\nDiskSpace=" + diskSpace + "\r\nOnDesktop=1\r\n" +
                  (program.empty() ? "" : "Program=" + program + "\r\n") +
                  "[GROUPS]\r\nName0=Docs\r\nDir0=<application path>\\Docs\r\n[FILES]\r\n"
                  "Name0=notes.dat*\r\nGroup0=Main*\r\nShortCut0=No*\r\nDescritpion0=N*\r\n"
                  "Name1=" +
                  second + "*\r\nGroup1=Docs*\r\nShortCut1=Yes*\r\nDescritpion1=" + app_ + "*\r\n");
  }
  long Run(const std::string& args, bool limitedRights = false) {
    SetupProcess setup(dir_ + "\\setup.exe", args, tmp_, limitedRights);
    const long code = setup.WaitForExit(60000);
    EXPECT_TRUE(List(tmp_, "*", true).empty()) << "left in the temporary folder";
    return code;
  }
  std::string RegString(const std::string& value, HKEY root = HKEY_LOCAL_MACHINE) {
    char buf[1024] = {};
    DWORD size = sizeof buf;
    if (RegGetValueA(root, (kUninstall + app_).c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, buf,
                     &size) != ERROR_SUCCESS)
      return "<missing>";
    return buf;
  }

  // Whether a process of that file name runs: a started program exists
  // before setup ends, long before it shows a window.
  static bool ProcessRuns(const wchar_t* exe) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snap, &entry); more && !found;
         more = Process32NextW(snap, &entry))
      found = lstrcmpiW(entry.szExeFile, exe) == 0;
    CloseHandle(snap);
    return found;
  }

  std::string name_, dir_, tmp_, app_, inst_;
};

TEST_F(Unattended, SilentInstallThenQuietRemoval) {
  // A package with a licence is not installed unless the licence is accepted.
  EXPECT_EQ(Run("/S /NOLAUNCH /D=" + inst_), 1);
  EXPECT_FALSE(Exists(inst_));

  const std::string log = dir_ + "\\run.log";
  EXPECT_EQ(Run("/s /AcceptLicense /NOLAUNCH /SHORTCUTS=desktop /LOG=" + log + " /D=" + inst_), 0);
  EXPECT_EQ(ReadFile(inst_ + "\\notes.dat"),
            ReadFile(HostPath(PRODUCT_FOLDER) + "\\Data\\notes.dat"));
  EXPECT_TRUE(Exists(inst_ + "\\Docs\\readme.txt"));
  EXPECT_TRUE(Exists(inst_ + "\\setup.exe"));
  TShellFolders f;
  ReadShellFolders(f);
  EXPECT_TRUE(Exists(f.DesktopDir + "\\" + app_ + ".lnk"));  // the user's own: no /ALLUSERS
  // The same log as the wizard's, files in the script's order.
  const std::string setupLog = ReadFile(inst_ + "\\setup.log");
  const size_t first = setupLog.find(">>>> " + inst_ + "\\notes.dat\r\n");
  EXPECT_NE(first, std::string::npos);
  EXPECT_LT(first, setupLog.find(">>>> " + inst_ + "\\Docs\\readme.txt\r\n"));
  EXPECT_NE(ReadFile(log).find("Setup Completed!"), std::string::npos);

  DWORD kb = 0, size = sizeof kb;  // the uninstaller (setup.exe) is installed too
  RegGetValueA(HKEY_LOCAL_MACHINE, (kUninstall + app_).c_str(), "EstimatedSize", RRF_RT_REG_DWORD,
               nullptr, &kb, &size);
  EXPECT_GE(kb * 1024, ReadFile(inst_ + "\\setup.exe").size());
  const std::string quiet = RegString("QuietUninstallString");
  ASSERT_EQ(quiet, "\"" + inst_ + "\\setup.exe\" \"/u:" + app_ + "\" /S");
  // The package's own copy has no log to remove by, and leaves the entry be.
  EXPECT_EQ(Run("\"/u:" + app_ + "\" /S"), 5);
  EXPECT_EQ(RegString("QuietUninstallString"), quiet);
  SetupProcess removal(quiet, tmp_);
  EXPECT_EQ(removal.WaitForExit(30000), 0);
  EXPECT_FALSE(Exists(inst_));
  EXPECT_FALSE(Exists(f.DesktopDir + "\\" + app_ + ".lnk"));
  EXPECT_EQ(RegString("DisplayName"), "<missing>");
}

TEST_F(Unattended, EveryEndHasItsExitCode) {
  const std::string ok = "/S /ACCEPTLICENSE /NOLAUNCH ";
  EXPECT_EQ(Run("/S /BOGUS"), 1);
  EXPECT_EQ(Run(ok + "/D=" + inst_ + "\\" + std::string(200, 'x')), 6);
  EXPECT_EQ(Run(ok + "/D=Q:\\No Such Drive"), 1);  // not a lack of space (4)
  Script("missing.txt");                           // not in setup.dat
  EXPECT_EQ(Run(ok + "/D=" + inst_), 5);
  EXPECT_FALSE(Exists(inst_));  // put back, down to the folder it made
  Script("readme.txt", "$FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Run(ok), 4);
  Script("readme.txt");
  {
    HANDLE running = CreateMutexA(nullptr, FALSE, app_.c_str());
    EXPECT_EQ(Run(ok), 3);
    CloseHandle(running);
    // Held for every session, as a service or another account's run holds it.
    running = CreateMutexA(nullptr, FALSE, ("Global\\" + app_).c_str());
    EXPECT_EQ(Run(ok), 3);
    CloseHandle(running);
  }
  // Cancel in the progress window: the close box, as soon as it shows, while
  // a gigabyte is still being written.
  RemoveTree(inst_);
  ASSERT_TRUE(CopyFileA(HostPath(LARGE_ZIP).c_str(), (dir_ + "\\setup.dat").c_str(), FALSE));
  WriteFile(dir_ + "\\setup.ini", "[MAIN]\r\nAppName=" + app_ +
                                      "\r\nDiskSpace=2000000000\r\n"
                                      "Program=\r\n[FILES]\r\nName0=zeros.bin*\r\nGroup0=Main*\r\n"
                                      "ShortCut0=No*\r\nDescritpion0=Z*\r\n");
  SetupProcess setup(dir_ + "\\setup.exe", "/SP /ACCEPTLICENSE /NOLAUNCH /D=" + inst_, tmp_);
  HWND window = setup.WaitForWindow("QvProgress", 20000);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(setup.WaitForExit(30000), 2);
  EXPECT_FALSE(Exists(inst_));  // put back
}

}  // namespace

namespace {

TEST_F(Unattended, TheApplicationStartsOnlyWhenAskedTo) {
  Script("Quorvane Notes.exe", "1000", "Docs\\Quorvane Notes.exe");
  const std::string ok = "/S /ACCEPTLICENSE /SHORTCUTS=none ";
  ASSERT_EQ(Run(ok + "/D=" + inst_), 0);
  EXPECT_TRUE(Exists(inst_ + "\\Docs\\Quorvane Notes.exe"));
  EXPECT_FALSE(ProcessRuns(L"Quorvane Notes.exe"));
  ASSERT_EQ(Run(ok + "/LAUNCH /D=" + inst_), 0);
  EXPECT_TRUE(ProcessRuns(L"Quorvane Notes.exe"));
  e2e::CloseSampleApplication();
}

TEST_F(Unattended, ErrorRecordsOfSetupLogReachTheRunLog) {
  CreateDirectoryA((dir_ + "\\Program Files").c_str(), nullptr);
  CreateDirectoryA(inst_.c_str(), nullptr);
  CreateDirectoryA((inst_ + "\\setup.exe").c_str(), nullptr);  // no copy can go there
  const std::string log = dir_ + "\\run.log";
  EXPECT_EQ(Run("/S /ACCEPTLICENSE /SHORTCUTS=none /LOG=" + log + " /D=" + inst_), 0);
  EXPECT_NE(ReadFile(log).find("Error - Can not copy " + inst_ + "\\setup.exe\r\n"),
            std::string::npos)
      << ReadFile(log);
}

TEST_F(Unattended, AFileInUseIsReplacedAtTheNextRestart) {
  const std::string ok = "/S /ACCEPTLICENSE /SHORTCUTS=none /D=" + inst_;
  ASSERT_EQ(Run(ok), 0);
  const std::string held = inst_ + "\\notes.dat";
  WriteFile(held, "the version in use");
  HANDLE user = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(user, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Run(ok), 7);
  EXPECT_EQ(ReadFile(held), "the version in use");
  CloseHandle(user);
  // Wine's restart does what Windows does at boot: the pending renames.
  SetupProcess restart("wineboot.exe -r", tmp_);
  EXPECT_EQ(restart.WaitForExit(60000), 0);
  EXPECT_EQ(ReadFile(held), ReadFile(HostPath(PRODUCT_FOLDER) + "\\Data\\notes.dat"));
  EXPECT_EQ(List(inst_, "~qv*"), std::vector<std::string>{});
}

TEST_F(Unattended, InstallingOverAnEarlierInstallationKeepsItRemovable) {
  const std::string ok = "/S /ACCEPTLICENSE /NOLAUNCH /SHORTCUTS=none";
  const std::string elsewhere = dir_ + "\\Elsewhere";
  ASSERT_EQ(Run(ok + " /D=" + elsewhere), 0);
  EXPECT_TRUE(Exists(elsewhere + "\\Docs\\readme.txt"));
  // The next version has other files; without /D= it goes where the first went.
  Script("Quorvane Notes.exe");
  ASSERT_EQ(Run(ok), 0);
  EXPECT_FALSE(Exists(inst_));
  EXPECT_TRUE(Exists(elsewhere + "\\Docs\\Quorvane Notes.exe"));
  // What the next version no longer ships goes, as it was installed.
  EXPECT_FALSE(Exists(elsewhere + "\\Docs\\readme.txt"));
  EXPECT_EQ(ReadFile(elsewhere + "\\setup.log").find("readme.txt"), std::string::npos);
  SetupProcess removal(RegString("QuietUninstallString"), tmp_);
  EXPECT_EQ(removal.WaitForExit(30000), 0);
  EXPECT_FALSE(Exists(elsewhere));  // both versions' files gone
}

// Started with the limited half of an administrator's token, as Explorer
// starts programs under User Account Control.
TEST_F(Unattended, TheUsersOwnInstallNeedsNoRightsAndAMachineWideOneAsksForThem) {
  const std::string log = dir_ + "\\run.log";
  const std::string ok = "/S /ACCEPTLICENSE /SHORTCUTS=desktop /LOG=" + log;
  EXPECT_EQ(Run(ok + " /ALLUSERS /CURRENTUSER"), 1);
  ASSERT_EQ(Run(ok + " /CURRENTUSER", true), 0);
  TShellFolders f;
  ReadShellFolders(f);
  ASSERT_FALSE(f.LocalAppDataDir.empty());
  const std::string own = f.LocalAppDataDir + "\\Programs\\" + app_;
  EXPECT_TRUE(Exists(own + "\\Docs\\readme.txt"));
  EXPECT_EQ(RegString("InstallLocation", HKEY_CURRENT_USER), own);
  EXPECT_EQ(RegString("DisplayName"), "<missing>");  // nothing machine-wide
  EXPECT_TRUE(Exists(f.DesktopDir + "\\" + app_ + ".lnk"));
  EXPECT_EQ(ReadFile(log).find("administrator rights"), std::string::npos) << ReadFile(log);
  // Its uninstaller finds its entries under the user's key by itself.
  SetupProcess removal(RegString("QuietUninstallString", HKEY_CURRENT_USER), tmp_);
  EXPECT_EQ(removal.WaitForExit(30000), 0);
  EXPECT_FALSE(Exists(own));
  EXPECT_EQ(RegString("DisplayName", HKEY_CURRENT_USER), "<missing>");
  EXPECT_FALSE(Exists(f.DesktopDir + "\\" + app_ + ".lnk"));

  // Machine-wide, the run hands itself to a copy started through "runas"
  // (under Wine that copy is no more privileged, and Wine lets it write).
  ASSERT_EQ(Run(ok + " /D=" + inst_, true), 0);
  EXPECT_EQ(RegString("InstallLocation"), inst_);
  EXPECT_NE(ReadFile(log).find("Setup Completed!\r\nThe run with administrator rights ended with "
                               "exit code 0.\r\n"),
            std::string::npos)
      << ReadFile(log);
  // A user's own install of the same name, at a path spelt otherwise than
  // its uninstaller's folder: its removal leaves the machine's entries be.
  const std::string spelt = dir_ + "\\x\\..\\Own";
  ASSERT_EQ(Run(ok + " /CURRENTUSER /D=" + spelt, true), 0);
  SetupProcess ownRemoval(RegString("QuietUninstallString", HKEY_CURRENT_USER), tmp_);
  EXPECT_EQ(ownRemoval.WaitForExit(30000), 0);
  EXPECT_FALSE(Exists(dir_ + "\\Own"));
  EXPECT_EQ(RegString("DisplayName", HKEY_CURRENT_USER), "<missing>");
  EXPECT_EQ(RegString("InstallLocation"), inst_);
}

}  // namespace
