// Shell folders from the registry with their fall-backs, the registry
// accessor's path rules and masks, and the running-application probe.
#include <gtest/gtest.h>

#include "shell/access_registry.hpp"
#include "shell/shell_folders.hpp"
#include "shell/wide_text.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

const char kTestRoot[] = "Software\\QuorvaneSetupTests";
const char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kMapGroups[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";

// Saves one registry value (or its absence) and puts it back afterwards.
class SavedValue {
 public:
  SavedValue(HKEY root, const char* key, const char* name) : root_(root), key_(key), name_(name) {
    HKEY h;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) == ERROR_SUCCESS) {
      keyExisted_ = true;
      char buf[1024];
      DWORD size = sizeof buf, type = 0;
      if (RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) ==
          ERROR_SUCCESS) {
        existed_ = true;
        type_ = type;
        data_.assign(buf, size);
      }
      RegCloseKey(h);
    }
  }
  ~SavedValue() {
    HKEY h;
    if (!keyExisted_) {
      RegDeleteTreeA(root_, key_);
      return;
    }
    RegCreateKeyExA(root_, key_, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    if (existed_)
      RegSetValueExA(h, name_, 0, type_, reinterpret_cast<const BYTE*>(data_.data()),
                     static_cast<DWORD>(data_.size()));
    else
      RegDeleteValueA(h, name_);
    RegCloseKey(h);
  }
  void Remove() const {
    HKEY h;
    if (RegOpenKeyExA(root_, key_, 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
      RegDeleteValueA(h, name_);
      RegCloseKey(h);
    }
  }
  void Set(const char* value) const {
    HKEY h;
    RegCreateKeyExA(root_, key_, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    RegSetValueExA(h, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(h);
  }

 private:
  HKEY root_;
  const char* key_;
  const char* name_;
  bool keyExisted_ = false, existed_ = false;
  DWORD type_ = REG_SZ;
  std::string data_;
};

TShellFolders f;  // what the tests read into

void ClearFolders() { f = TShellFolders{}; }

TEST(ShellFolders, ReadFromTheRegistryWithAllUsersFallbacks) {
  SavedValue common(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop");
  SavedValue programs(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
  SavedValue quick(HKEY_CURRENT_USER, kMapGroups, "Quick Launch");
  SavedValue desktop(HKEY_CURRENT_USER, kShellFolders, "Desktop");
  desktop.Set("C:\\Users\\Test\\Desktop");
  common.Remove();
  programs.Set("C:\\All\\Programs");
  quick.Set("C:\\QL");

  ClearFolders();
  ReadShellFolders(f);
  EXPECT_EQ(f.DesktopDir, "C:\\Users\\Test\\Desktop");
  EXPECT_EQ(f.CommonDesktopDir, f.DesktopDir);  // value missing: the user's own
  EXPECT_EQ(f.CommonProgramsDir, "C:\\All\\Programs");
  EXPECT_EQ(f.QuickLaunchDir, "C:\\QL");
  EXPECT_FALSE(f.ProgramFilesDir.empty());
  EXPECT_NE(f.ProgramFilesDir, "can not open");
  EXPECT_FALSE(f.ProgramsDir.empty());
}

TEST(ShellFolders, MissingKeysLeaveVariablesAlone) {
  SavedValue quick(HKEY_CURRENT_USER, kMapGroups, "Quick Launch");
  RegDeleteTreeA(HKEY_CURRENT_USER, kMapGroups);
  RegDeleteKeyA(HKEY_CURRENT_USER, kMapGroups);
  ClearFolders();
  f.QuickLaunchDir = "";
  ReadShellFolders(f);
  EXPECT_EQ(f.QuickLaunchDir, "");
  f.QuickLaunchDir = "kept";
  ReadShellFolders(f);
  EXPECT_EQ(f.QuickLaunchDir, "kept");
}

TEST(ShellFolders, ANonStringValueIsReportedAndCountsAsMissing) {
  SavedValue desktop(HKEY_CURRENT_USER, kShellFolders, "Desktop");
  SavedValue common(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop");
  common.Remove();
  HKEY h;
  RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &h);
  DWORD v = 5;
  RegSetValueExA(h, "Desktop", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), sizeof v);
  RegCloseKey(h);
  ClearFolders();
  EXPECT_EQ(ReadShellFolders(f), std::vector<std::string>{"Invalid data type for 'Desktop'"});
  EXPECT_EQ(f.DesktopDir, "");
  EXPECT_EQ(f.CommonDesktopDir, "");
  EXPECT_FALSE(f.ProgramsDir.empty());  // the rest is still read
  EXPECT_FALSE(f.ProgramFilesDir.empty());
}

TEST(AccessRegistry, NoPathThatCouldNameAParentIsDeleted) {
  const std::string parent = std::string(kTestRoot) + "\\Uninstall";
  HKEY h;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (parent + "\\Other").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(h);
  TAccessRegistry reg;
  EXPECT_FALSE(reg.DeleteKey("\\" + parent + "\\"));  // "Uninstall\" + an empty name
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_FALSE(reg.DeleteKey(""));
  ASSERT_TRUE(reg.OpenKey(parent, false));
  EXPECT_FALSE(reg.DeleteKey(""));  // relative to the open key: the key itself
  EXPECT_FALSE(reg.DeleteKey("Other\\"));
  reg.CloseKey();
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (parent + "\\Other").c_str(), 0, KEY_READ, &h),
            ERROR_SUCCESS);
  RegCloseKey(h);
  EXPECT_TRUE(reg.DeleteKey("\\" + parent + "\\Other"));
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
}

TEST(ShellFolders, WindowsDirectory) {
  char buf[MAX_PATH];
  GetWindowsDirectoryA(buf, MAX_PATH);
  EXPECT_EQ(GetWindowsDir(), buf);
}

TEST(AccessRegistry, PathsAreRelativeToTheCurrentKeyUnlessAbsolute) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
  {
    TAccessRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(reg.Access, static_cast<DWORD>(0xF003F));
    EXPECT_FALSE(reg.OpenKey(std::string(kTestRoot) + "\\A", false));
    ASSERT_TRUE(reg.OpenKey(std::string(kTestRoot) + "\\A", true));
    EXPECT_EQ(reg.CurrentPath(), std::string(kTestRoot) + "\\A");
    ASSERT_TRUE(reg.OpenKey("B", true));  // relative: under A
    EXPECT_EQ(reg.CurrentPath(), std::string(kTestRoot) + "\\A\\B");
    reg.WriteString("v", "deep");
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kTestRoot + "\\C", true));  // absolute
    EXPECT_EQ(reg.CurrentPath(), std::string(kTestRoot) + "\\C");
    EXPECT_FALSE(reg.OpenKey("Missing", false));  // failure changes nothing
    EXPECT_EQ(reg.CurrentPath(), std::string(kTestRoot) + "\\C");
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kTestRoot + "\\A\\B", false));
    EXPECT_EQ(reg.ReadString("v"), "deep");
    EXPECT_EQ(reg.ReadString("absent"), "");
  }
  {
    // The mask is what the key is opened with: query-only cannot write.
    TAccessRegistry reg;
    reg.Access = KEY_QUERY_VALUE;
    ASSERT_TRUE(reg.OpenKey(std::string(kTestRoot) + "\\A\\B", false));
    EXPECT_THROW(reg.WriteString("w", "x"), ERegistryException);
    ASSERT_TRUE(reg.OpenKeyWithAccess(KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                                      std::string("\\") + kTestRoot + "\\A\\B", false));
    EXPECT_NO_THROW(reg.WriteString("w", "x"));
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
}

TEST(AppIsRunning, TrueWhileAnotherProcessHoldsTheMutex) {
  const std::string name = "QuorvaneTestApp" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(AppIsRunning(name));
  // No mutex is left behind by the probe.
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()), nullptr);

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + HostPath(HOLD_MUTEX_EXE) + "\" " + name + " 20000";
  ASSERT_TRUE(
      CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  bool seen = false;
  for (int i = 0; i < 200 && !seen; ++i) {
    HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (h) {
      CloseHandle(h);
      seen = true;
    } else {
      Sleep(50);
    }
  }
  ASSERT_TRUE(seen);
  EXPECT_TRUE(AppIsRunning(name));
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

// Half a surrogate pair has no UTF-8: such text is refused, never bent.
TEST(WideText, HalfACharacterIsTold) {
  EXPECT_TRUE(IsWholeUtf16(L"a\xD83D\xDE00 b"));
  for (const wchar_t* half : {L"a\xD800"
                              L"b",
                              L"\xDC00", L"x\xD83D"})
    EXPECT_FALSE(IsWholeUtf16(half));
}

}  // namespace
