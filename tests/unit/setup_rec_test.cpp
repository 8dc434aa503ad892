// The setup record as read from scripts: defaults, number syntax, the FILES
// trailing character, line lists, macros and group lookup.
#include "engine/setup_rec.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/run_codes.hpp"
#include "setup/command_line.hpp"
#include "setup/ini_file.hpp"

namespace {

TSetupRec Read(const std::string& script) {
  TIniFile ini(script);
  TSetupRec rec;
  LoadSetupRec(rec, ini);
  return rec;
}

TEST(NumberSyntax, AcceptsDecimalAndHexOnly) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"1", true, 1},
      {"-1", true, -1},
      {"+7", true, 7},
      {"0x10", true, 16},
      {"0X1f", true, 31},
      {"$1", true, 1},
      {"  42", true, 42},
      {"$FFFFFFFF", true, -1},
      {"0x80000000", true, INT32_MIN},
      {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},
      {"$100000000", false, 0},
      {"0x", false, 0},
      {"$", false, 0},
      {"", false, 0},
      {"Yes", false, 0},
      {"True", false, 0},
      {"on", false, 0},
      {"1 ", false, 0},
      {"+-1", false, 0},
      {"-", false, 0},
      {"0x-1", false, 0},
  };
  for (const Case& c : cases) {
    int v = 12345;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(LineList, GetSetFollowTheFirstMatchingKey) {
  TLineList l;
  l.Set("Name0", "a");
  l.Set("name0", "b");  // replaces, keeps one line
  l.Set("Dir0", "x=y");
  EXPECT_EQ(l.Count(), 2u);
  EXPECT_EQ(l.Get("NAME0"), "b");
  EXPECT_EQ(l.Get("Dir0"), "x=y");
  EXPECT_EQ(l.Get("Dir"), "");
  l.Set("Dir0", "");   // deletes
  l.Set("Other", "");  // stores nothing
  EXPECT_EQ(l.Lines(), std::vector<std::string>{"name0=b"});
}

TEST(SetupRec, MainSectionDefaultsAndCuts) {
  TSetupRec r = Read("[MAIN]\r\nAppName=" + std::string(300, 'A') + "\r\n");
  EXPECT_EQ(r.AppName, std::string(255, 'A'));
  EXPECT_EQ(r.DiskSpace, "0");
  EXPECT_EQ(r.InstPath, "");
  EXPECT_FALSE(r.RunOnStart);

  r = Read("[main]\nDiskSpace=\nRunOnStart=Yes\nOnDesktop=-1\nOnQuickLaunch=0x1\nOnStartMenu=$1\n");
  EXPECT_EQ(r.DiskSpace, "");
  EXPECT_FALSE(r.RunOnStart);
  EXPECT_TRUE(r.OnDesktop);
  EXPECT_TRUE(r.OnQuickLaunch);
  EXPECT_TRUE(r.OnStartMenu);
  EXPECT_FALSE(r.FastInstall);

  // The optional deployment keys; FastInstall reads like the booleans.
  r = Read("[MAIN]\nVersion=2.1\nPublisher=Quorvane\nURL=https://q.example\nFastInstall=1\n");
  EXPECT_EQ(r.Version, "2.1");
  EXPECT_EQ(r.Publisher, "Quorvane");
  EXPECT_EQ(r.URL, "https://q.example");
  EXPECT_TRUE(r.FastInstall);

  // Program: AppName.exe unless given; given empty, no program at all.
  EXPECT_EQ(Read("[MAIN]\nAppName=Notes\n").Program, "Notes.exe");
  EXPECT_EQ(Read("[MAIN]\nAppName=Notes\nProgram=bin\\ed.exe\n").Program, "bin\\ed.exe");
  EXPECT_EQ(Read("[MAIN]\nAppName=Notes\nProgram=\n").Program, "");
}

TEST(SetupRec, FilesValuesLoseTheirLastCharacter) {
  TSetupRec r = Read(
      "[FILES]\nName0=app.exe*\nGroup0=Docs*\nShortCut0=Yes!\nDescritpion0=Read me*\n"
      "Name1=x\nShortCut1=yes!\nName1=second\n[GROUPS]\nName0=Docs.\n");
  EXPECT_EQ(r.Files.Get("ShortCut0"), "Yes");
  EXPECT_EQ(r.Files.Get("ShortCut1"), "yes");  // not "Yes": no shortcut
  EXPECT_EQ(r.Files.Get("Descritpion0"), "Read me");
  // The last character, however many bytes of UTF-8 it takes.
  EXPECT_EQ(Read("\xEF\xBB\xBF[FILES]\nName0=Łódź.txt東\n").Files.Get("Name0"), "Łódź.txt");
  // A one-character value stays as a line with an empty value; a repeated
  // key gives one line with the first value.
  EXPECT_EQ(r.Files.Get("Name1"), "");
  EXPECT_EQ(r.Files.Count(), 6u);
  EXPECT_EQ(r.FileCount(), 2u);
  EXPECT_EQ(r.Groups.Get("Name0"), "Docs.");  // GROUPS values are kept whole
}

TEST(SetupRec, EmptyGroupValuesShiftTheCount) {
  TSetupRec r = Read("[GROUPS]\nName0=A\nDir0=\nName1=B\nDir1=C:\\B\n");
  EXPECT_EQ(r.Groups.Count(), 3u);
  EXPECT_EQ(r.GroupCount(), 2u);
  r = Read("[GROUPS]\nName0=A\nDir0=\n");
  EXPECT_EQ(r.GroupCount(), 1u);
}

TEST(Macros, ReplaceTheFirstOccurrenceIgnoringCase) {
  std::string s = "<PROGRAM FILES>\\App";
  ReplaceMacro(s, 255, "<program files>", "C:\\Program Files");
  EXPECT_EQ(s, "C:\\Program Files\\App");
  s = "x<windir>y<windir>";
  ReplaceMacro(s, 255, "<windir>", "W");
  EXPECT_EQ(s, "xWy<windir>");
  s = "none";
  ReplaceMacro(s, 255, "<windir>", "W");
  EXPECT_EQ(s, "none");
  s = std::string(250, 'a') + "<windir>";
  ReplaceMacro(s, 255, "<windir>", "C:\\WINDOWS");
  EXPECT_EQ(s, std::string(250, 'a') + "C:\\WI");
}

TEST(Macros, GroupDirsExpandOnlyMacrosWrittenInSmallLetters) {
  TSetupRec r = Read(
      "[GROUPS]\nName0=App\nDir0=<application path>\\bin\nName1=Sys\nDir1=<system>\n"
      "Name2=Win\nDir2=<WINDIR>\\x\nName3=Twice\nDir3=<windir>\\<windir>\n");
  ExpandGroupDirs(r, "D:\\Apps\\Demo", "C:\\WINDOWS");
  EXPECT_EQ(r.Groups.Get("Dir0"), "D:\\Apps\\Demo\\bin");
  EXPECT_EQ(r.Groups.Get("Dir1"), "C:\\WINDOWS\\System");
  EXPECT_EQ(r.Groups.Get("Dir2"), "<WINDIR>\\x");
  EXPECT_EQ(r.Groups.Get("Dir3"), "C:\\WINDOWS\\<windir>");
  EXPECT_EQ(GroupDir(r, "Sys", "P"), "C:\\WINDOWS\\System");
  EXPECT_EQ(GroupDir(r, "sys", "P"), "P");  // letter case counts
  EXPECT_EQ(GroupDir(TSetupRec{}, "Sys", "P"), "P");
}

TEST(IniFile, ReadsAsTheProfileCallsDo) {
  TIniFile ini(
      "\xEF\xBB\xBF[ Main ] junk\r;c=1\r\n  Key  =  \"quoted\"  \n"
      "a=b=c\nnoequals\nKey=second\nq='x\"\nsq='y'\nemp=\n[NoClose\nlate=1\n[MAIN]\nother=2\n");
  EXPECT_EQ(ini.ReadString("MAIN", "key", "d"), "quoted");
  EXPECT_EQ(ini.ReadString("main", ";c", "d"), "1");
  EXPECT_EQ(ini.ReadString("main", "a", "d"), "b=c");
  EXPECT_EQ(ini.ReadString("main", "noequals", "d"), "d");
  EXPECT_EQ(ini.ReadString("main", "q", "d"), "'x\"");
  EXPECT_EQ(ini.ReadString("main", "sq", "d"), "y");
  EXPECT_EQ(ini.ReadString("main", "emp", "d"), "");
  EXPECT_EQ(ini.ReadString("main", "late", "d"), "1");   // "[NoClose" is no section
  EXPECT_EQ(ini.ReadString("main", "other", "d"), "d");  // second [MAIN] is not searched
  EXPECT_EQ(ini.ReadKeys("MAIN"),
            (std::vector<std::string>{"Key", "a", "Key", "q", "sq", "emp", "late"}));
  EXPECT_TRUE(ini.ReadKeys("none").empty());
  EXPECT_EQ(ini.ReadString("main", "a", "").size(), 3u);
  TIniFile big("[S]\nk=" + std::string(2000, 'v') + "\n");
  EXPECT_EQ(big.ReadString("S", "k", ""), std::string(1023, 'v'));
}

TEST(CommandLine, SplitsAndChoosesTheMode) {
  auto args = SplitCommandLine("\"C:\\Program Files\\App\\setup.exe\"  /u:\"My App\" extra");
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0], "C:\\Program Files\\App\\setup.exe");
  std::string name;
  EXPECT_TRUE(IsUninstallArgument(args, name));
  EXPECT_EQ(name, "My App");
  EXPECT_FALSE(IsUninstallArgument(SplitCommandLine("setup.exe /U:x"), name));
  EXPECT_EQ(name, "");
  EXPECT_FALSE(IsUninstallArgument(SplitCommandLine("setup.exe"), name));
  EXPECT_TRUE(IsUninstallArgument(SplitCommandLine("setup.exe /u:"), name));
  EXPECT_EQ(name, "");
  EXPECT_FALSE(IsUninstallArgument(SplitCommandLine("setup.exe x /u:App"), name));
}

#ifndef _WIN32  // the README lies on the host
// The README's tables are the program's own: every switch and exit code,
// worded as the tables in the code say, and nothing else.
TEST(Switches, TheReadmeTablesAreThoseOfTheProgram) {
  std::ifstream file(README_PATH);
  const std::string readme{std::istreambuf_iterator<char>(file), {}};
  ASSERT_FALSE(readme.empty());
  for (const SwitchRow& row : kSwitches)
    EXPECT_NE(readme.find("\n| `" + std::string(row.shown) + "` | " + row.meaning + " |\n"),
              std::string::npos)
        << row.shown;
  for (const ExitCodeRow& row : kExitCodes)
    EXPECT_NE(readme.find("\n| " + std::to_string(row.code) + " | " + row.meaning + " |\n"),
              std::string::npos)
        << row.code;
  size_t switchRows = 0, codeRows = 0;
  std::istringstream lines(readme);
  for (std::string line; std::getline(lines, line);) {
    switchRows += line.rfind("| `/", 0) == 0;
    codeRows += line.size() > 2 && line.rfind("| ", 0) == 0 && std::isdigit(line[2]);
  }
  EXPECT_EQ(switchRows, std::size(kSwitches));
  EXPECT_EQ(codeRows, std::size(kExitCodes));
  // The help text comes from the same rows.
  const std::string usage = UsageText();
  for (const SwitchRow& row : kSwitches)
    EXPECT_NE(usage.find(std::string(row.shown) + "\t"), std::string::npos) << row.shown;
  EXPECT_TRUE(IsHelpRequest("setup.exe /?") && IsHelpRequest("\"C:\\A B\\setup.exe\" --help"));
  EXPECT_FALSE(IsHelpRequest("setup.exe /S /?"));
}
#endif

}  // namespace

TEST(Switches, UnattendedRunsReadTheirSwitchesAndTheRestOfTheLineAsPath) {
  TRunSwitches sw = ParseSwitches(
      "\"C:\\x\\setup.exe\" /s /Folder=\"My Apps\" /SHORTCUTS=desktop,SendTo /allusers /NOLAUNCH "
      "/LOG=C:\\log.txt /AcceptLicense /D=C:\\Some Dir\\App  ");
  EXPECT_EQ(sw.Error, "");
  EXPECT_TRUE(sw.Silent && sw.Unattended() && sw.AllUsers && sw.NoLaunch && sw.AcceptLicense);
  EXPECT_FALSE(sw.Launch);
  EXPECT_TRUE(ParseSwitches("setup.exe /S /launch").Launch);
  EXPECT_FALSE(sw.Progress);
  EXPECT_EQ(sw.Path, "C:\\Some Dir\\App");
  EXPECT_EQ(sw.Folder, "My Apps");
  EXPECT_EQ(sw.LogFile, "C:\\log.txt");
  EXPECT_TRUE(sw.HasShortcuts && sw.Desktop && sw.SendTo && !sw.StartUp && !sw.QuickLaunch);

  EXPECT_EQ(ParseSwitches("setup.exe /S \"/D=C:\\A B\"").Path, "C:\\A B");   // quoted whole
  EXPECT_EQ(ParseSwitches("setup.exe /S /D=\"C:\\A B\" ").Path, "C:\\A B");  // value quoted
  sw = ParseSwitches("setup.exe \"/u:My App\" /SP");
  EXPECT_TRUE(sw.Progress && sw.Error.empty());
  sw = ParseSwitches("setup.exe /SHORTCUTS=none");
  EXPECT_TRUE(sw.HasShortcuts && !sw.Desktop && !sw.Unattended());
  // Interactive command lines stay as they were.
  EXPECT_EQ(ParseSwitches("setup.exe /U:Upper second").Error, "");
  EXPECT_EQ(ParseSwitches("setup.exe").Error, "");

  for (const char* bad :
       {"setup.exe /X", "setup.exe /S /SHORTCUTS=desk", "setup.exe /S=1", "setup.exe /S /SP",
        "setup.exe /S /D=", "setup.exe /FOLDER=", "setup.exe /S /D=C:\\A\"B",
        "setup.exe /S /D=\"C:\\A B", "setup.exe /S /ALLUSERS /CURRENTUSER"})
    EXPECT_NE(ParseSwitches(bad).Error, "") << bad;
  EXPECT_EQ(ParseSwitches("setup.exe /S /X").Error, "Unknown switch: /X");
  // A switch after /D= is refused, yet still keeps the run without a window.
  for (const char* late : {"setup.exe /D=C:\\A B /S", "setup.exe /D=\"C:\\A B\" /SP /NOLAUNCH"}) {
    sw = ParseSwitches(late);
    EXPECT_EQ(sw.Error, "/D= must come last") << late;
    EXPECT_TRUE(sw.Unattended()) << late;
  }
}

// The copy restarted with administrator rights must read the same run.
TEST(Switches, TheElevatedCopyGetsTheSameRun) {
  const std::string install = "\"C:\\A B\\setup.exe\"  /S /LOG=C:\\l.txt /D=C:\\Some Dir";
  EXPECT_EQ(ElevatedArguments(install), "/ELEVATED /S /LOG=C:\\l.txt /D=C:\\Some Dir");
  const std::string removal = "setup.exe \"/u:My App\" /SP";
  EXPECT_EQ(ElevatedArguments(removal), "\"/u:My App\" /ELEVATED /SP");
  for (const std::string& line : {install, removal}) {
    const TRunSwitches before = ParseSwitches(line);
    const TRunSwitches after = ParseSwitches("setup.exe " + ElevatedArguments(line));
    EXPECT_TRUE(after.Elevated && !before.Elevated);
    EXPECT_EQ(after.Error, "");
    EXPECT_EQ(after.Path, before.Path);
    EXPECT_EQ(after.Unattended(), before.Unattended());
    std::string a, b;
    EXPECT_EQ(IsUninstallArgument(SplitCommandLine("setup.exe " + ElevatedArguments(line)), a),
              IsUninstallArgument(SplitCommandLine(line), b));
    EXPECT_EQ(a, b);
  }
  EXPECT_EQ(ElevatedArguments("setup.exe"), "/ELEVATED ");
}
