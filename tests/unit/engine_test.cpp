// The installation log's file form and record grammar, and the space the
// Setup button asks for.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "engine/destination.hpp"
#include "engine/file_names.hpp"
#include "engine/install_log.hpp"
#include "engine/setup_rec.hpp"
#include "engine/text_codes.hpp"

namespace {

TEST(InstallLog, SavedWithCrLfAfterEveryLineAndReadBackFromAnyLineEnd) {
  TInstallLog log;
  log.Add("Installing files...");
  log.Add(">>>> C:\\Program Files\\App\\app.exe");
  log.Add("");
  log.Add(">> C:\\Users\\me\\Desktop\\App.lnk");
  EXPECT_EQ(log.Text(),
            "Installing files...\r\n>>>> C:\\Program Files\\App\\app.exe\r\n\r\n>> "
            "C:\\Users\\me\\Desktop\\App.lnk\r\n");
  // In the ANSI code page (here Latin-1) as it always was where the text
  // fits; UTF-8 after a mark where it does not; both read back.
  const TAnsiCodec latin1{[](const std::string& utf8, std::string& ansi) {
                            ansi.clear();
                            for (size_t i = 0; i < utf8.size(); ++i) {
                              const auto c = static_cast<unsigned char>(utf8[i]);
                              if (c < 0x80) {
                                ansi += utf8[i];
                              } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
                                ansi += static_cast<char>(
                                    (c & 3) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
                              } else {
                                return false;
                              }
                            }
                            return true;
                          },
                          [](const std::string& ansi) {
                            std::string utf8;
                            for (const char c : ansi)
                              AppendUtf8(utf8, static_cast<unsigned char>(c));
                            return utf8;
                          }};
  EXPECT_EQ(log.FileBytes(latin1), log.Text());
  EXPECT_EQ(TInstallLog::LinesOfFile(log.FileBytes(latin1), latin1), log.Lines());
  log.Add(">>>> C:\\Café\\x");  // fits
  EXPECT_NE(log.FileBytes(latin1).find(">>>> C:\\Caf\xE9\\x\r\n"), std::string::npos);
  log.Add(">>>> C:\\Łódź\\x");  // Łódź does not
  const std::string bytes = log.FileBytes(latin1);
  EXPECT_EQ(bytes, "\xEF\xBB\xBF" + log.Text());
  EXPECT_EQ(TInstallLog::LinesOfFile(bytes, latin1), log.Lines());

  EXPECT_EQ(TInstallLog::SplitLines("a\rb\nc\r\nd"),
            (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(TInstallLog::SplitLines("a\r\n\r\nb\n\n"),
            (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(InstallLog, RecordLinesAreToldByTheirExactMarks) {
  std::string path;
  EXPECT_EQ(TInstallLog::Classify(">>>> C:\\a b\\c.txt", path), TLogRecord::FileAndDir);
  EXPECT_EQ(path, "C:\\a b\\c.txt");
  EXPECT_EQ(TInstallLog::Classify(">> C:\\d.lnk", path), TLogRecord::File);
  EXPECT_EQ(path, "C:\\d.lnk");
  EXPECT_EQ(TInstallLog::Classify(">>>>C:\\x", path), TLogRecord::None);  // no space
  EXPECT_EQ(TInstallLog::Classify(">>> C:\\x", path), TLogRecord::None);
  EXPECT_EQ(TInstallLog::Classify(">Error - Can not write: Path", path), TLogRecord::None);
  EXPECT_EQ(TInstallLog::Classify(" >> C:\\x", path), TLogRecord::None);
  // A folder made for files: the described reading removes just it, too.
  EXPECT_EQ(TInstallLog::Classify(">>>> C:\\App\\locale\\", path), TLogRecord::Folder);
  EXPECT_EQ(path, "C:\\App\\locale");
}

TEST(InstallLog, AnEarlierLogsRecordsThatTheNewOneLacksAreKeptOnce) {
  TInstallLog log;
  log.Add("Installing files...");
  log.Add(">>>> C:\\App\\app.exe");
  log.Add(">> C:\\Desktop\\App.lnk");
  const std::vector<std::string> before = log.Lines();
  EXPECT_EQ(log.KeepEarlierRecords({
                "Installing files...",    // a comment
                ">>>> c:\\app\\APP.EXE",  // had, in another case
                ">>>> C:\\App\\old.dll",
                ">> C:\\App\\app.exe",        // the ">>>> " line does this already
                ">>>> C:\\Desktop\\App.lnk",  // removes the folder too: kept
                ">>>> C:\\App\\old.dll",      // twice in the old log
                ">>>>C:\\x",                  // no record
            }),
            2u);
  std::vector<std::string> expected = before;
  expected.insert(expected.end(), {"Kept from the earlier installation:", ">>>> C:\\App\\old.dll",
                                   ">>>> C:\\Desktop\\App.lnk"});
  EXPECT_EQ(log.Lines(), expected);
  EXPECT_EQ(log.KeepEarlierRecords({">> C:\\App\\APP.exe", "note"}), 0u);
  EXPECT_EQ(log.Lines(), expected);  // no comment when nothing is kept
}

TEST(Destination, RequiredSpaceAndItsMessage) {
  EXPECT_EQ(RequiredSpace("0"), 102400);
  EXPECT_EQ(KiloBytes(RequiredSpace("0")), 100);
  EXPECT_EQ(RequiredSpace("lots"), 5102400);
  EXPECT_EQ(KiloBytes(RequiredSpace("lots")), 4983);
  EXPECT_EQ(KiloBytes(RequiredSpace("1048576")), 1124);
  EXPECT_EQ(RequiredSpace("0x10"), 5102400);  // not this number syntax
  EXPECT_EQ(RequiredSpace(" $10"), 16 + 102400);
  EXPECT_EQ(RequiredSpace(""), 5102400);
  EXPECT_EQ(RequiredSpace("12 "), 5102400);
  // Beyond 32 bits, as large installations need.
  EXPECT_EQ(RequiredSpace("10000000000"), 10000000000 + 102400);
  EXPECT_EQ(RequiredSpace("9223372036854775807"), INT64_MAX);
  // Never wraps: too large for 64 bits, or hexadecimal with the top bit set,
  // is more than any drive has.
  EXPECT_EQ(RequiredSpace("9223372036854775808"), INT64_MAX);
  EXPECT_EQ(RequiredSpace("-99999999999999999999"), INT64_MAX);
  EXPECT_EQ(RequiredSpace("$8000000000000000"), INT64_MAX);
  EXPECT_EQ(RequiredSpace("$FFFFFFFFFFFFFFFF"), INT64_MAX);
  EXPECT_EQ(RequiredSpace("$10000000000000000"), INT64_MAX);
  EXPECT_EQ(RequiredSpace("$7FFFFFFFFFFFFFFF"), INT64_MAX);
  EXPECT_EQ(RequiredSpace("-5"), 102395);
  // Halves go to the even neighbour.
  EXPECT_EQ(KiloBytes(512), 0);
  EXPECT_EQ(KiloBytes(1536), 2);
  EXPECT_EQ(KiloBytes(513), 1);
  EXPECT_EQ(NotEnoughSpaceMessage(102400),
            "Error - Not enough free space on this drive.\r\nSetup requires 100 kb!\r\nDelete "
            "some files or choose another drive.");
}

TEST(SetupScript, AnApplicationNameMustNameOneKeyOfItsOwn) {
  for (const char* good : {"Quorvane Notes", "A", " x", "Caf\xe9", "App 2.0", "Console", "COM10"})
    EXPECT_TRUE(IsValidAppName(good)) << good;
  for (const char* bad : {"", " ", "   ", "a\\b", "\\", "a/b", "tab\there", "nl\n", "\x7f"})
    EXPECT_FALSE(IsValidAppName(bad)) << bad;
  // It must name a folder of its own, too.
  for (const char* bad :
       {".", "..", "App.", "App ", "a:b", "a*b", "a?b", "a|b", "a\"b", "<a>", "CON", "nul", "Com1",
        "LPT9.txt", "aux .x", "COM\xC2\xB9", "lpt\xC2\xB3.txt"})
    EXPECT_FALSE(IsValidAppName(bad)) << bad;
  // Registry key names hold 255 UTF-16 units: a letter beyond the plane takes two.
  std::string japanese, emoji;
  for (int i = 0; i < 255; ++i) japanese += "東";
  for (int i = 0; i < 130; ++i) emoji += "😀";
  EXPECT_TRUE(IsValidAppName(japanese));
  EXPECT_FALSE(IsValidAppName(emoji));
  EXPECT_EQ(Utf16Length("東😀a"), 4u);
}

TEST(FileNames, ANameWithFoldersStaysBelowItsDirectory) {
  EXPECT_FALSE(HasFolderPart("readme.txt"));
  for (const char* name : {"a\\b", "a/b", "C:x"}) EXPECT_TRUE(HasFolderPart(name)) << name;
  EXPECT_EQ(RelativePath("locale/de\\LC_MESSAGES\\app.mo"), "locale\\de\\LC_MESSAGES\\app.mo");
  EXPECT_EQ(MemberName("locale\\de\\app.mo"), "locale/de/app.mo");
  EXPECT_EQ(RelativeParent("locale\\de\\app.mo"), "locale\\de");
  EXPECT_EQ(RelativeParent("app.mo"), "");
  EXPECT_EQ(RelativePath("photo[1].jpg"), "photo[1].jpg");
  // Nothing that climbs out, names a drive or root, or that Windows would
  // store under another name.
  for (const char* bad : {"..\\x",    "a\\..\\..\\x", ".\\x",        "C:\\x",
                          "C:x",      "\\x",          "/x",          "\\\\server\\share\\x",
                          "a\\\\b",   "a\\",          "a.\\b",       "a \\b",
                          "a\\b.",    "a\\b?",        "a\\b*c",      "a\\b|c",
                          "a\\\x01b", "src\\aux.c",   "d\\COM1.log", ""}) {
    std::string why;
    EXPECT_EQ(RelativePath(bad, &why), "") << bad;
    EXPECT_FALSE(why.empty()) << bad;
  }
}

TEST(SetupScript, TheProgramIsNamedAfterTheApplicationUnlessTheScriptSaysOtherwise) {
  TSetupRec rec;
  rec.AppName = "Notes";
  rec.Program = "bin\\editor.exe";
  EXPECT_EQ(ScriptError(rec), "");
  rec.Program = "";  // a package without a program of its own
  EXPECT_EQ(ScriptError(rec), "");
  rec.Program = "..\\..\\Windows\\notepad.exe";
  EXPECT_NE(ScriptError(rec).find("Program"), std::string::npos);
  rec.AppName = "";
  EXPECT_NE(ScriptError(rec).find("AppName"), std::string::npos);
}

TEST(Destination, DriveRootFromTheFirstCharacter) {
  EXPECT_EQ(DriveRoot("c:\\Program Files"), "C:\\");
  EXPECT_EQ(DriveRoot("\\\\server\\share"), "\\");
  EXPECT_EQ(DriveRoot("Demo"), "D:\\");
  EXPECT_EQ(DriveRoot(""), "");
}

TEST(TextCodes, NamesFoldAsWindowsFoldsThem) {
  EXPECT_EQ(FoldCase("łódź.txt"), FoldCase("ŁÓDŹ.TXT"));
  EXPECT_EQ(FoldCase("αжÿ"), "ΑЖŸ");
  EXPECT_EQ(FoldCase("東京"), "東京");  // no case at all
  // Dotless i and long s are not I and S to Windows; stray bytes stay.
  EXPECT_NE(FoldCase("ı"), FoldCase("i"));
  EXPECT_NE(FoldCase("ſ"), FoldCase("s"));
  EXPECT_EQ(FoldCase("a\xFF"
                     "b\xC5"),
            "A\xFF"
            "B\xC5");
}

TEST(TextCodes, MarkedTextMustBeWhatItsMarkSays) {
  for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80 \xEF\xBF\xBD"));
  const std::string le(
      "\xFF\xFE"
      "a\0",
      4),
      be("\xFE\xFF\0a", 4);
  std::string text;
  ASSERT_TRUE(DecodeMarkedText(be, text));
  EXPECT_EQ(text, "a");
  EXPECT_FALSE(DecodeMarkedText("plain", text));
  EXPECT_EQ(MarkedTextProblem(le), "");
  EXPECT_EQ(MarkedTextProblem("no mark \xFF"), "");  // read in the code page
  for (const std::string& bad : {std::string("\xEF\xBB\xBF"
                                             "Caf\xE9"),
                                 le + "b",
                                 le + std::string("\0\xD8"
                                                  "a\0",
                                                  4),
                                 le + std::string("\0\xDC", 2),
                                 std::string("\xEF\xBB\xBF"
                                             "a\0b",
                                             6)})
    EXPECT_NE(MarkedTextProblem(bad), "") << bad;
  TSetupRec rec;
  rec.AppName = "Notes";
  rec.TextProblem = MarkedTextProblem(
      "\xEF\xBB\xBF"
      "Caf\xE9");
  EXPECT_EQ(ScriptError(rec),
            "Setup script error: setup.ini is not UTF-8 though it starts with a UTF-8 mark.");
}

}  // namespace
