// The portable INI reader and Windows' profile calls must read the same
// records from the same scripts, tricky ones included; names fold as the
// system folds them.
#include <gtest/gtest.h>

#include "engine/text_codes.hpp"
#include "setup/ini_file.hpp"
#include "setup/setup_script.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

std::string Describe(const TSetupRec& r) {
  std::string s = "AppName=" + r.AppName + "|InstPath=" + r.InstPath +
                  "|FolderName=" + r.FolderName + "|DiskSpace=" + r.DiskSpace +
                  "|bools=" + std::to_string(r.RunOnStart) + std::to_string(r.OnDesktop) +
                  std::to_string(r.OnQuickLaunch) + std::to_string(r.OnStartMenu);
  if (!r.TextProblem.empty()) s += "|problem=" + r.TextProblem;
  for (const auto& l : r.Groups.Lines()) s += "\nG:" + l;
  for (const auto& l : r.Files.Lines()) s += "\nF:" + l;
  return s;
}

class BothReaders : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = ScratchDir("ini"); }
  void TearDown() override { RemoveTree(dir_); }

  void Expect(const std::string& script) {
    const std::string path = dir_ + "\\setup.ini";
    WriteFile(path, script);
    TSetupRec win, portable;
    ReadSetupRec(win, path);
    TIniFile ini(script);
    LoadSetupRec(portable, ini);
    EXPECT_EQ(Describe(portable), Describe(win)) << "script:\n" << script.substr(0, 400);
    // Key lists and lookups the record does not show.
    TPrivateProfile profile(path);
    for (const char* section : {"MAIN", "GROUPS", "FILES", "files"})
      EXPECT_EQ(ini.ReadKeys(section), profile.ReadKeys(section)) << "section " << section;
    for (const char* key : {"a", ";name", "noeq", "k", "=x", "", " spaced "})
      EXPECT_EQ(ini.ReadString("MAIN", key, "dflt"), profile.ReadString("MAIN", key, "dflt"))
          << "key '" << key << "'";
  }
  std::string dir_;
};

TEST_F(BothReaders, CommentsBlanksAndQuotes) {
  Expect(
      "; comment line\r\n[MAIN]\r\n;name=yes\r\n  AppName  =  Demo App  \r\nInstPath=\"<program "
      "files>\\Demo\"\r\nFolderName='Demo'\r\nDiskSpace=\"12\r\nRunOnStart= 1 ; note\r\n"
      "OnDesktop=\"1\"\r\n a=b=c\r\nnoeq\r\n\tk\t=\tv\t\r\n=x\r\n");
}

TEST_F(BothReaders, DuplicateKeysAndSections) {
  Expect(
      "[MAIN]\nAppName=First\nAppName=Second\n[FILES]\nName0=a.txt*\nname0=b.txt*\n"
      "Group0=G*\nShortCut0=Yes*\nDescritpion0=D*\n[MAIN]\nFolderName=late\n[files]\n"
      "Name1=late.txt*\n[GROUPS]\nName0=G\nDir0=<application path>\\g\n");
  // A line without "=" answers for its key first.
  Expect("[MAIN]\nAppName\nAppName=Shadowed\n[FILES]\nName0=a.txt*\nname0\nGroup0\nGroup0=G*\n");
}

TEST_F(BothReaders, OddSectionLinesAndEmptyValues) {
  Expect(
      "[ MAIN ] trailing\nAppName=x\n[NoClose\nInstPath=y\n[GROUPS]\nName0=\nDir0=d\n"
      "Name1=n\n[FILES]\nName0=a\nGroup0=\nShortCut0=Y\n[]\nk=v\n");
}

TEST_F(BothReaders, LineEnds) {
  Expect("[MAIN]\rAppName=cr\r\rInstPath=p\n\nFolderName=f\r\n\r\nDiskSpace=7\n\r");
  Expect("[MAIN]\nAppName=lf\x1A\nInstPath=\x1A p \x1A\n");
}

TEST_F(BothReaders, LongValuesAndManyKeys) {
  std::string s = "[MAIN]\nAppName=" + std::string(1100, 'n') +
                  "\nInstPath=" + std::string(1023, 'p') + "\n[FILES]\n";
  // About 9,000 bytes of key names: more than a first buffer of 8,192 holds,
  // all read by both.
  for (int i = 0; i < 700; ++i)
    s += "LongKeyName" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
  Expect(s);
  EXPECT_EQ(TPrivateProfile(dir_ + "\\setup.ini").ReadKeys("FILES").size(), 700u);
}

TEST_F(BothReaders, UnicodeScriptsWithTheirMarks) {
  const std::string script =
      "[MAIN]\r\nAppName=Café Łódź 東京\r\nInstPath=C:\\Programme\\Łódź\r\n[FILES]\r\n"
      "Name0=東京\\データ.txt*\r\nGroup0=Main*\r\n";
  Expect("\xEF\xBB\xBF" + script);
  // UTF-16 little-endian after its mark.
  std::string utf16 = "\xFF\xFE";
  for (const wchar_t c : U(script)) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  Expect(utf16);
  std::string big = "\xFE\xFF";
  for (size_t i = 2; i < utf16.size(); i += 2) big += {utf16[i + 1], utf16[i]};
  Expect(big);
  // Text that is not what its mark says: both refuse it alike, for the
  // platform would show U+FFFD where the portable reader keeps bytes.
  for (const std::string& bad :
       {std::string("\xEF\xBB\xBF[MAIN]\r\nAppName=Caf\xE9\r\n"), utf16 + "x"}) {
    WriteFile(dir_ + "\\setup.ini", bad);
    EXPECT_NE(TPrivateProfile(dir_ + "\\setup.ini").TextProblem(), "");
    EXPECT_EQ(TPrivateProfile(dir_ + "\\setup.ini").TextProblem(), TIniFile(bad).TextProblem());
  }
  TSetupRec rec;
  WriteFile(dir_ + "\\setup.ini", utf16);
  ReadSetupRec(rec, dir_ + "\\setup.ini");
  EXPECT_EQ(rec.AppName, "Café Łódź 東京");
  EXPECT_EQ(rec.Files.Get("Name0"), "東京\\データ.txt");
}

TEST_F(BothReaders, BytesAbove127) {
  Expect(
      "[MAIN]\nAppName=Caf\xE9 \xC6sir\nInstPath=C:\\Programme\\\xFC\xF6\xE4\n[FILES]\n"
      "Name0=r\xE9sum\xE9.txt*\n");
}

// Names fold as the system compares file names: letter by letter over the
// plane, against its own upper-casing.
TEST(NameFolding, IsTheSystemsOwn) {
  using Upcase = WCHAR(NTAPI*)(WCHAR);
  const auto upcase = reinterpret_cast<Upcase>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
  ASSERT_NE(upcase, nullptr);
  for (unsigned c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    std::string letter, upper;
    AppendUtf8(letter, c);
    AppendUtf8(upper, upcase(static_cast<WCHAR>(c)));
    ASSERT_EQ(FoldCase(letter), upper) << std::hex << c;
  }
}

}  // namespace
