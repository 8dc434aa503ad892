// The registry step against Wine's registry: values, log lines, the quoted
// uninstall command, what the uninstaller removes, and how an earlier
// installation is found.
#include "engine/registry_entries.hpp"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/win/link_reader.hpp"

namespace {

struct NoProgress : TProgress {
  std::string status;
  void Status(const std::string& text) override { status = text; }
  void FileProgress(int) override {}
  void ProcessPendingInput() override {}
};

bool KeyExists(const std::string& key) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
    return false;
  RegCloseKey(h);
  return true;
}

// A REG_DWORD value under HKEY_LOCAL_MACHINE, or -1 when missing or of
// another type.
int64_t RegDword(const std::string& key, const char* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return -1;
  return value;
}

std::string Today() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", int{t.wYear}, int{t.wMonth}, int{t.wDay});
  return buf;
}

TEST(RegistryEntries, WrittenWithTheirDetailsLoggedAndRemovedByName) {
  const std::string app = "Qv Reg App " + std::to_string(GetCurrentProcessId());
  const std::string path = "C:\\Program Files\\Qv Reg";
  const std::string maker = "Software\\Quorvane\\" + app;
  const std::string appPaths =
      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + app + ".exe";
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app;
  // 1500 + 1500 bytes of ">>>> " files and 2048 of the setup program make
  // 5 KB (whole sum, rounded up); ">> " files and missing ones count nothing.
  const std::string dir = wintest::ScratchDir("regsize");
  wintest::WriteFile(dir + "\\a.bin", std::string(1500, 'a'));
  wintest::WriteFile(dir + "\\b.bin", std::string(1500, 'b'));
  wintest::WriteFile(dir + "\\c.lnk", std::string(5000, 'c'));
  wintest::WriteFile(dir + "\\setup.exe", std::string(2048, 's'));
  TInstallLog log;
  log.Add(">>>> " + dir + "\\a.bin");
  log.Add(">>>> " + dir + "\\b.bin");
  log.Add(">> " + dir + "\\c.lnk");
  log.Add(">>>> " + dir + "\\gone.bin");
  NoProgress progress;
  const std::string before = Today();
  EXPECT_TRUE(CreateKeys(progress, log,
                         {app, path, app + ".exe", "2.1", "Quorvane Ltd", "https://qv.example",
                          InstalledSizeKB(log.Lines(), dir + "\\setup.exe")}));
  const std::string after = Today();
  EXPECT_EQ(progress.status, "Creating Keys...");
  wintest::RemoveTree(dir);

  const std::string command = "\"C:\\Program Files\\Qv Reg\\setup.exe\" \"/u:" + app + "\"";
  EXPECT_EQ(wintest::RegValue(maker, "Path"), path);
  EXPECT_EQ(wintest::RegValue(appPaths, ""), path + "\\" + app + ".exe");
  const std::string date = wintest::RegValue(uninstall, "InstallDate");
  EXPECT_TRUE(date == before || date == after) << date;
  struct Value {
    const char* name;
    std::string data;
    bool dword;
  };
  const Value values[] = {
      {"DisplayName", app, false},
      {"UninstallString", command, false},
      {"QuietUninstallString", command + " /S", false},
      {"InstallLocation", path, false},
      {"DisplayIcon", path + "\\" + app + ".exe", false},
      {"DisplayVersion", "2.1", false},
      {"Publisher", "Quorvane Ltd", false},
      {"URLInfoAbout", "https://qv.example", false},
      {"EstimatedSize", "5", true},
      {"InstallDate", date, false},
      {"NoModify", "1", true},
      {"NoRepair", "1", true},
  };
  std::vector<std::string> expected(log.Lines().begin(), log.Lines().begin() + 4);
  const auto written = [&](const std::string& key, const std::string& summary) {
    expected.push_back("Current Registry Path: " + key);
    expected.push_back(key + "\\" + summary);
  };
  expected.push_back("Creating Keys...");
  written(maker, app + "\\Path=" + path);
  written(appPaths, app + ".exe=" + path + "\\" + app + ".exe");
  for (const Value& v : values) {
    if (v.dword)
      EXPECT_EQ(RegDword(uninstall, v.name), std::stoll(v.data)) << v.name;
    else
      EXPECT_EQ(wintest::RegValue(uninstall, v.name), v.data) << v.name;
    written(uninstall, app + "\\" + v.name + "=" + v.data);
  }
  EXPECT_EQ(log.Lines(), expected);

  DeleteUninstallKeys(app);
  EXPECT_FALSE(KeyExists(appPaths));
  EXPECT_FALSE(KeyExists(uninstall));
  EXPECT_EQ(wintest::RegValue(maker, "Path"), path);  // the maker's key stays
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, maker.c_str());
}

TEST(RegistryEntries, AnEarlierInstallationIsFoundByItsLocationElseItsPath) {
  const std::string app = "Qv Earlier " + std::to_string(GetCurrentProcessId());
  const std::string maker = "Software\\Quorvane\\" + app;
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app;
  EXPECT_EQ(ExistingInstallPath(app), "");
  NoProgress progress;
  TInstallLog log;
  CreateKeys(progress, log,
             {app, "C:\\Old", app + ".exe", "1.0", "Old Maker", "https://old.example", 0});
  CreateKeys(progress, log, {app, "C:\\Old", app + ".exe", "", "", "", 0});
  for (const char* name : {"DisplayVersion", "Publisher", "URLInfoAbout"})
    EXPECT_EQ(wintest::RegValue(uninstall, name), "<missing>") << name;  // empty: none, not stale
  EXPECT_EQ(ExistingInstallPath(app), "C:\\Old");
  const auto setLocation = [&](DWORD type, const void* data, DWORD size) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, uninstall.c_str(), "InstallLocation", type, data, size);
  };
  setLocation(REG_SZ, "D:\\New", 7);
  EXPECT_EQ(ExistingInstallPath(app), "D:\\New");
  const DWORD number = 7;
  setLocation(REG_DWORD, &number, sizeof number);
  EXPECT_EQ(ExistingInstallPath(app), "C:\\Old");  // not a string: missing
  DeleteUninstallKeys(app);
  EXPECT_EQ(ExistingInstallPath(app), "");  // removed: the maker's key alone is no installation
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, maker.c_str());
}

TEST(RegistryEntries, AProgramOfItsOwnNameOrNoneAtAll) {
  const std::string app = "Qv Program " + std::to_string(GetCurrentProcessId());
  const std::string file = "qveditor" + std::to_string(GetCurrentProcessId()) + ".exe";
  const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app;
  NoProgress progress;
  TInstallLog log;
  CreateKeys(progress, log, {app, "C:\\Qv", "bin\\" + file, "", "", "", 0});
  EXPECT_EQ(wintest::RegValue(appPaths + file, ""), "C:\\Qv\\bin\\" + file);
  EXPECT_EQ(wintest::RegValue(uninstall, "DisplayIcon"), "C:\\Qv\\bin\\" + file);
  EXPECT_FALSE(KeyExists(appPaths + app + ".exe"));
  DeleteUninstallKeys(app);
  EXPECT_FALSE(KeyExists(appPaths + file));
  // Another product's program of that name keeps its key.
  CreateKeys(progress, log, {app, "C:\\Qv", "bin\\" + file, "", "", "", 0});
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, (appPaths + file).c_str(), nullptr, REG_SZ, "D:\\x.exe", 9);
  DeleteUninstallKeys(app);
  EXPECT_EQ(wintest::RegValue(appPaths + file, ""), "D:\\x.exe");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (appPaths + file).c_str());
  // Nor does one named after the application, and an upgrade whose
  // program has another name leaves no key of the old one.
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, (appPaths + app + ".exe").c_str(), nullptr, REG_SZ,
                  "D:\\y.exe", 9);
  CreateKeys(progress, log, {app, "C:\\Qv", "bin\\" + file, "", "", "", 0});
  CreateKeys(progress, log, {app, "C:\\Qv", "bin\\other.exe", "", "", "", 0});
  EXPECT_FALSE(KeyExists(appPaths + file));
  DeleteUninstallKeys(app);
  EXPECT_EQ(wintest::RegValue(appPaths + app + ".exe", ""), "D:\\y.exe");
  EXPECT_FALSE(KeyExists(appPaths + "other.exe"));
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (appPaths + app + ".exe").c_str());
  // A package without a program: no App Paths key, no icon.
  CreateKeys(progress, log, {app, "C:\\Qv", "", "", "", "", 0});
  EXPECT_EQ(wintest::RegValue(uninstall, "DisplayIcon"), "<missing>");
  EXPECT_FALSE(KeyExists(appPaths + app + ".exe"));
  DeleteUninstallKeys(app);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("Software\\Quorvane\\" + app).c_str());
}

TEST(RegistryEntries, UninstallCommandQuotesWhatHasBlanks) {
  EXPECT_EQ(UninstallCommand("C:\\Apps\\Demo", "Demo"), "\"C:\\Apps\\Demo\\setup.exe\" /u:Demo");
  EXPECT_EQ(UninstallCommand("C:\\Program Files\\My App", "My App"),
            "\"C:\\Program Files\\My App\\setup.exe\" \"/u:My App\"");
}

TEST(RegistryEntries, AKeyWhoseSecurityDeniesWritingIsLoggedAndSkipped) {
  const std::string app = "Qv Denied " + std::to_string(GetCurrentProcessId());
  const std::string maker = "Software\\Quorvane\\" + app;
  HKEY h;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, maker.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &h, nullptr),
            ERROR_SUCCESS);
  // An empty access list: nobody may do anything with the key.
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  ACL acl;
  InitializeAcl(&acl, sizeof acl, ACL_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
  ASSERT_EQ(RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
  RegCloseKey(h);
  HKEY probe;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, maker.c_str(), 0, KEY_SET_VALUE, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "this registry does not enforce key security";
  }
  NoProgress progress;
  TInstallLog log;
  EXPECT_TRUE(CreateKeys(progress, log, {app, "C:\\Qv", app + ".exe", "", "", "", 0}));
  ASSERT_GE(log.Lines().size(), 2u);
  EXPECT_EQ(log.Lines()[1], ">Error - Can not open key: \\" + maker);
  EXPECT_EQ(log.Lines()[2].rfind("Current Registry Path: Software\\Microsoft", 0), 0u);
  DeleteUninstallKeys(app);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, maker.c_str());
}

}  // namespace
