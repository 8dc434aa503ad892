// The registry step against Wine's registry: values, log lines, the quoted
// uninstall command, and what the uninstaller removes.
#include "engine/registry_entries.hpp"

#include <windows.h>
#include <gtest/gtest.h>

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

TEST(RegistryEntries, WrittenLoggedAndRemovedByName) {
  const std::string app = "Qv Reg App " + std::to_string(GetCurrentProcessId());
  const std::string path = "C:\\Program Files\\Qv Reg";
  const std::string maker = "Software\\Quorvane\\" + app;
  const std::string appPaths =
      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + app + ".exe";
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app;
  NoProgress progress;
  TInstallLog log;
  EXPECT_TRUE(CreateKeys(progress, log, app, path));
  EXPECT_EQ(progress.status, "Creating Keys...");

  const std::string command = "\"C:\\Program Files\\Qv Reg\\setup.exe\" \"/u:" + app + "\"";
  EXPECT_EQ(wintest::RegValue(maker, "Path"), path);
  EXPECT_EQ(wintest::RegValue(appPaths, ""), path + "\\" + app + ".exe");
  EXPECT_EQ(wintest::RegValue(uninstall, "DisplayName"), app);
  EXPECT_EQ(wintest::RegValue(uninstall, "UninstallString"), command);
  const std::vector<std::string> expected = {
      "Creating Keys...",
      "Current Registry Path: " + maker,
      maker + "\\" + app + "\\Path=" + path,
      "Current Registry Path: " + appPaths,
      appPaths + "\\" + app + ".exe=" + path + "\\" + app + ".exe",
      "Current Registry Path: " + uninstall,
      uninstall + "\\" + app + "\\DisplayName=" + app,
      "Current Registry Path: " + uninstall,
      uninstall + "\\" + app + "\\UninstallString=" + command,
  };
  EXPECT_EQ(log.Lines(), expected);

  DeleteUninstallKeys(app);
  EXPECT_FALSE(KeyExists(appPaths));
  EXPECT_FALSE(KeyExists(uninstall));
  EXPECT_EQ(wintest::RegValue(maker, "Path"), path);  // the maker's key stays
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, maker.c_str());
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
  EXPECT_TRUE(CreateKeys(progress, log, app, "C:\\Qv"));
  ASSERT_GE(log.Lines().size(), 2u);
  EXPECT_EQ(log.Lines()[1], ">Error - Can not open key: \\" + maker);
  EXPECT_EQ(log.Lines()[2].rfind("Current Registry Path: Software\\Microsoft", 0), 0u);
  DeleteUninstallKeys(app);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, maker.c_str());
}

}  // namespace
