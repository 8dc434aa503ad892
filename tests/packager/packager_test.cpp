// The packager's tool through its commands: every check rule on a small
// package made here, and init + build into a package that checks clean and
// comes out byte for byte the same twice.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "packager/commands.hpp"
#include "packager/folder.hpp"
#include "packager/zip_archive.hpp"
#include "setup/ini_file.hpp"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

struct Outcome {
  int code;
  std::string out, err;
};

Outcome Qpack(const std::vector<std::string>& args, const std::string& setupExe = "") {
  qpack::Context context;
  context.setupCandidates = {setupExe};
  std::ostringstream out, err;
  const int code = qpack::RunQpack(context, args, out, err);
  return {code, out.str(), err.str()};
}

class Packager : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("qpack_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A package in dir_/name: setup.exe, the script, license.txt when asked,
  // and setup.dat with the members given as name -> content.
  std::string Package(const std::string& name, const std::string& script,
                      const std::vector<std::pair<std::string, std::string>>& members,
                      bool license = true) {
    const fs::path pkg = dir_ / name;
    Write(pkg / "setup.exe", "MZ");
    Write(pkg / "setup.ini", script);
    if (license) Write(pkg / "license.txt", "terms");
    std::vector<qpack::ZipSource> sources;
    for (size_t i = 0; i < members.size(); ++i) {
      const fs::path src = dir_ / (name + ".src") / std::to_string(i);
      Write(src, members[i].second);
      sources.push_back({members[i].first, src.string()});
    }
    qpack::WriteZip((pkg / "setup.dat").string(), sources);
    return pkg.string();
  }

  fs::path dir_;
};

const std::string kScript =
    "[MAIN]\r\n"                         // 1
    "AppName=App\r\n"                    // 2
    "InstPath=<program files>\\App\r\n"  // 3
    "DiskSpace=100000\r\n"               // 4
    "\r\n"                               // 5
    "[GROUPS]\r\n"                       // 6
    "Name0=Docs\r\n"                     // 7
    "Dir0=<application path>\\Docs\r\n"  // 8
    "[FILES]\r\n"                        // 9
    "Name0=App.exe*\r\n"                 // 10
    "Group0=Main*\r\n"                   // 11
    "ShortCut0=Yes*\r\n"                 // 12
    "Descritpion0=App*\r\n"              // 13
    "Name1=readme.txt*\r\n"              // 14
    "Group1=Docs*\r\n"                   // 15
    "ShortCut1=No*\r\n"                  // 16
    "Descritpion1=Read me*\r\n";         // 17
const std::vector<std::pair<std::string, std::string>> kMembers = {
    {"App.exe", std::string(5000, 'x')}, {"readme.txt", "read me"}};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  const size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

TEST_F(Packager, CheckFindsEachMistakeOnItsLine) {
  const Outcome good = Qpack({"check", Package("good", kScript, kMembers)});
  EXPECT_EQ(good.code, 0);
  EXPECT_EQ(good.out, "0 errors, 0 warnings\n");

  const std::string extra =
      "Name2=readme.txt*\r\nGroup2=Docs*\r\nShortCut2=No*\r\nDescritpion2=R*\r\n";
  struct Case {
    const char* from;
    std::string to;
    std::string expected;  // one whole line of the report, up to its text
    int code = 1;
    std::vector<std::pair<std::string, std::string>> members = kMembers;
    bool license = true;
  } cases[] = {
      {"AppName=App\r\n", "", "setup.ini:1: MAIN AppName: error: missing"},
      {"AppName=App", "AppName=A/pp",
       "setup.ini:2: MAIN AppName: error: holds \\, / or a control character"},
      {"Name1=readme.txt*", "Name1=readme.txt",
       "setup.ini:14: FILES Name1: error: no member \"readme.tx\" in setup.dat: the value lacks"},
      {"ShortCut1=No*", "ShortCut1=No", "setup.ini:16: FILES ShortCut1: error: ends in 'o'"},
      {"Name1=readme.txt*\r\nGroup1=Docs*\r\nShortCut1=No*\r\nDescritpion1=Read me*\r\n",
       "Name2=readme.txt*\r\nGroup2=Docs*\r\nShortCut2=No*\r\nDescritpion2=Read me*\r\n",
       "setup.ini:14: FILES Name2: error: file 2 is never read: setup counts 2 entries"},
      {"Descritpion1=Read me*", "Description1=Read me*",
       "setup.ini:17: FILES Description1: error: not a key of [FILES]"},
      {"Group1=Docs*", "Group1=docs*", "setup.ini:15: FILES Group1: error: names no [GROUPS]"},
      {"Dir0=<application path>", "Dir0=<APPLICATION PATH>",
       "setup.ini:8: GROUPS Dir0: error: writes <application path> in capitals"},
      {"", "", "setup.ini:14: FILES Name1: error: no member \"readme.txt\"", 1, {kMembers[0]}},
      {"",
       "",
       "setup.ini:14: FILES Name1: error: no member \"readme.txt\" in setup.dat: it is there "
       "inside a folder, as \"Docs/readme.txt\"",
       1,
       {kMembers[0], {"Docs/readme.txt", "x"}}},
      {"Descritpion1=Read me*\r\n", "Descritpion1=Read me*\r\n" + extra,
       "setup.ini:18: FILES Name2: error: installs to the same file as Name1"},
      {"Name1=readme.txt*", "Name1=..\\readme.txt*",
       "setup.ini:14: FILES Name1: error: climbs out of its folder"},
      {"Name1=readme.txt*", "Name1=C:readme.txt*",
       "setup.ini:14: FILES Name1: error: names a drive or a root"},
      // A name with folders, from the member of that path.
      {"Name1=readme.txt*\r\nGroup1=Docs*",
       "Name1=Docs\\readme.txt*\r\nGroup1=Main*",
       "0 errors",
       0,
       {kMembers[0], {"Docs/readme.txt", "x"}}},
      // The tool's limit, measured with setup.dat in a download folder,
      // binds only the paced road; the system's path limit binds both.
      {"InstPath=<program files>\\App", "InstPath=<program files>\\" + std::string(92, 'a'),
       "setup.ini:14: FILES Name1: error: the unzip command line for this file takes 256"},
      {"InstPath=<program files>\\App", "InstPath=<program files>\\" + std::string(91, 'a'),
       "0 errors", 0},
      {"InstPath=<program files>\\App",
       "FastInstall=1\r\nInstPath=<program files>\\" + std::string(92, 'a'), "0 errors", 0},
      {"InstPath=<program files>\\App",
       "FastInstall=1\r\nInstPath=<program files>\\" + std::string(225, 'a'),
       "setup.ini:15: FILES Name1: error: installs to a path of 264 characters"},
      {"AppName=App", "AppName=Other",
       "setup.ini:1: MAIN Program: error: no FILES entry installs \"Other.exe\""},
      {"Group0=Main*", "Group0=Docs*", "setup.ini:1: MAIN Program: error: no FILES entry installs"},
      {"AppName=App", "AppName=Other\r\nProgram=App.exe", "0 errors", 0},
      {"AppName=App", "AppName=App\r\nProgram=bin\\app.exe",
       "setup.ini:3: MAIN Program: error: no FILES entry installs \"bin\\app.exe\""},
      {"AppName=App", "AppName=App\r\nProgram=..\\App.exe",
       "setup.ini:3: MAIN Program: error: \"..\\App.exe\" climbs out of its folder"},
      {"AppName=App", "AppName=App\r\nProgram=",
       "setup.ini:3: MAIN Program: warning: empty: the package has no program", 0},
      {"AppName=App", "AppName=App\r\nScope=users",
       "setup.ini:3: MAIN Scope: warning: \"users\" is neither user nor machine", 0},
      {"AppName=App", "AppName=App\r\nScope=User", "0 errors", 0},
      {"DiskSpace=100000", "DiskSpace=5006",
       "setup.ini:4: MAIN DiskSpace: error: 5006 is less than the 5007"},
      {"DiskSpace=100000", "DiskSpace=$FFFFFFFFFFFFFFFF0",
       "setup.ini:4: MAIN DiskSpace: error: beyond the 64-bit range"},
      {"DiskSpace=100000", "DiskSpace=lots",
       "setup.ini:4: MAIN DiskSpace: warning: not a number: setup assumes 5000000", 0},
      {"",
       "",
       "setup.dat: extra.bin: warning: no FILES entry installs this member",
       0,
       {kMembers[0], kMembers[1], {"extra.bin", ""}}},
      {"ShortCut1=No*", "ShortCut1=no*", "setup.ini:16: FILES ShortCut1: warning: reads \"no\"", 0},
      {"Name1=readme.txt*",
       "Name1=caf\xE9.txt*",
       "setup.ini: warning: holds bytes above 127 but no byte order mark",
       0,
       {kMembers[0], {"caf\xC3\xA9.txt", "x"}}},
      {"Group1=Docs*\r\n", "Group1=Docs*\r\nGroup1=Main*\r\n",
       "setup.ini:16: FILES Group1: warning: written twice: setup uses the first value, on line 15",
       0},
      {"", "", "license.txt: warning: missing", 0, kMembers, false},
      // A name longer than minizip's usual buffer.
      {"",
       "",
       "setup.dat: " + std::string(1500, 'y') + ": warning: no FILES entry installs",
       0,
       {kMembers[0], kMembers[1], {std::string(1500, 'y'), ""}}},
      // Windows reads a key without "=" as the key with no value.
      {"AppName=App\r\n", "AppName\r\nAppName=App\r\n",
       "setup.ini:2: MAIN AppName: error: missing"},
      // Paths compare as Windows resolves them.
      {"Dir0=<application path>\\Docs\r\n[FILES]\r\nName0=App.exe*\r\nGroup0=Main*",
       "Dir0=<application path>\\Docs\r\nName1=Top\r\nDir1=<application path>\\\r\n[FILES]\r\n"
       "Name0=App.exe*\r\nGroup0=Top*",
       "0 errors", 0},
      {"Dir0=<application path>\\Docs\r\n[FILES]\r\nName0=App.exe*\r\nGroup0=Main*",
       "Dir0=<application path>\\Docs\r\nName1=Top\r\nDir1=<application path>\\.\\docs\\\r\n"
       "[FILES]\r\nName0=readme.txt*\r\nGroup0=Top*",
       "setup.ini:16: FILES Name1: error: installs to the same file as Name0"},
      {"Name1=readme.txt*",
       "Name1=read[1].txt*",
       "setup.ini:14: FILES Name1: error: holds [: the unzip tool",
       1,
       {kMembers[0], {"read[1].txt", "x"}}},

      {"Name1=readme.txt*",
       "Name1=a|b.txt*",
       "setup.ini:14: FILES Name1: error: holds <, >",
       1,
       {kMembers[0], {"a|b.txt", "x"}}},
      // Any extra character will do where what remains is right.
      {"ShortCut0=Yes*", "ShortCut0=Yes#", "0 errors", 0},
      {"Name1=readme.txt*", "Name1=readme.txt#", "0 errors", 0},
  };
  int i = 0;
  for (const Case& c : cases) {
    const std::string script = *c.from ? Replace(kScript, c.from, c.to) : kScript;
    const Outcome r =
        Qpack({"check", Package("case" + std::to_string(i++), script, c.members, c.license)});
    EXPECT_EQ(r.code, c.code) << c.expected << "\n" << r.out;
    EXPECT_NE(("\n" + r.out).find("\n" + c.expected), std::string::npos)
        << "expected: " << c.expected << "\ngot:\n"
        << r.out;
  }
}

TEST_F(Packager, APatternCharacterIsAnErrorOnlyOnThePacedRoad) {
  const std::string script = Replace(kScript, "Name1=readme.txt*", "Name1=read[1].txt*");
  const std::vector<std::pair<std::string, std::string>> members = {kMembers[0],
                                                                    {"read[1].txt", "x"}};
  EXPECT_EQ(Qpack({"check", Package("paced", script, members)}).code, 1);
  const Outcome fast =
      Qpack({"check",
             Package("fast", Replace(script, "DiskSpace", "FastInstall=1\r\nDiskSpace"), members)});
  EXPECT_EQ(fast.code, 0) << fast.out;
}

TEST_F(Packager, CheckTimeDoesNotGrowWithKeyNumbers) {
  // A key numbered in the millions (or billions) costs no more than a small
  // one: numbers are not counted through.
  const auto start = std::chrono::steady_clock::now();
  const Outcome r =
      Qpack({"check", Package("big", kScript + "Name9999999=x*\r\nGroup9999999=y*\r\n", kMembers)});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_NE(r.out.find("setup.ini:18: FILES Name9999999: error: file 9999999 is never read"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("FILES Name2: error: no file 2 to 9999998"), std::string::npos) << r.out;
}

TEST_F(Packager, InitThenBuildMakesTheSameCleanPackageTwice) {
  const fs::path app = dir_ / "Notes";
  Write(app / "Notes.exe", std::string(70000, 'n') + "MZ");
  Write(app / "Docs" / "readme.txt", "read me\r\n");
  Write(app / "Docs" / "api" / "index.html", "<html></html>");
  Write(app / "Data" / "empty.dat", "");
  Write(app / "license.txt", "terms");
  const fs::path setupExe = dir_ / "setup.exe";
  Write(setupExe, "MZ setup");

  EXPECT_EQ(Qpack({"init", app.string()}).code, 0);
  const std::string script = Slurp((app / "setup.ini").string());
  EXPECT_NE(script.find("AppName=Notes\r\n"), std::string::npos);
  EXPECT_NE(script.find("DiskSpace=81920\r\n"), std::string::npos);  // 72 + 4 + 4 + 0 KiB
  EXPECT_NE(script.find("Program=Notes.exe\r\n"), std::string::npos);
  EXPECT_EQ(script.find("FastInstall"), std::string::npos);  // nothing beyond the paced road
  EXPECT_NE(script.find("Name2=Docs\\api\\index.html*\r\nGroup2=Main*"), std::string::npos);
  EXPECT_NE(
      script.find("Name0=Notes.exe*\r\nGroup0=Main*\r\nShortCut0=Yes*\r\nDescritpion0=Notes*"),
      std::string::npos);
  const Outcome again = Qpack({"init", app.string()});
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("--force"), std::string::npos);

  const Outcome first =
      Qpack({"build", app.string(), "-o", (dir_ / "out1").string()}, setupExe.string());
  EXPECT_EQ(first.code, 0) << first.out << first.err;
  EXPECT_NE(first.out.find("0 errors, 0 warnings"), std::string::npos) << first.out;
  // Other timestamps on the inputs change nothing; a build over an earlier
  // one replaces it.
  const std::string dat = Slurp((dir_ / "out1" / "setup.dat").string());
  fs::last_write_time(app / "Docs" / "readme.txt",
                      fs::file_time_type::clock::now() - std::chrono::hours(1000));
  const Outcome second =
      Qpack({"build", app.string(), "-o", (dir_ / "out1").string()}, setupExe.string());
  EXPECT_EQ(second.code, 0) << second.out << second.err;
  EXPECT_EQ(dat, Slurp((dir_ / "out1" / "setup.dat").string()));

  std::vector<std::string> names;
  for (const qpack::ZipMember& m : qpack::ReadZip((dir_ / "out1" / "setup.dat").string())) {
    names.push_back(m.name);
    EXPECT_EQ(m.method, 8) << m.name;
    EXPECT_TRUE(m.intact) << m.name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Data/empty.dat", "Docs/api/index.html",
                                             "Docs/readme.txt", "Notes.exe"}));
  EXPECT_EQ(Slurp((dir_ / "out1" / "license.txt").string()), "terms");
  EXPECT_EQ(Slurp((dir_ / "out1" / "setup.exe").string()), "MZ setup");
}

TEST_F(Packager, InitTakesAnyFolderAndLeavesOutWhatSetupCannotInstall) {
  // Same names in several folders (translations), a program not named after
  // the application, names setup could not install as they are.
  const fs::path app = dir_ / "Editor";
  Write(app / "bin" / "editor.exe", "MZ");
  for (const char* lang : {"de", "fr", "pl"})
    Write(app / "locale" / lang / "LC_MESSAGES" / "editor.mo", std::string("mo ") + lang);
  Write(app / "setup.exe", "not ours");
  std::vector<std::string> left = {"setup.exe: warning: setup keeps"};
#ifndef _WIN32  // names a Windows file system cannot hold at all
  Write(app / "Docs" / "A.txt", "one");
  Write(app / "docs" / "a.txt", "two");  // the same path on Windows
  Write(app / "ŁÓDŹ.txt", "upper");      // ŁÓDŹ and łódź: one name there
  Write(app / "łódź.txt", "lower");
  Write(app / "bad|name.txt", "x");
  fs::create_symlink("/etc/passwd", app / "passwd");
  Write(app / "src" / "aux.c", "a device's name");
  Write(app / "B", "a file where b/ is a folder");
  Write(app / "b" / "c.txt", "c");
  Write(app / "back\\slash.txt", "a \\ in a Linux name");
  Write(app / "caf\xE9.txt", "a Latin-1 name");
  left.insert(left.end(),
              {"docs/a.txt: warning: the same path as Docs/A.txt",
               "łódź.txt: warning: the same path as ŁÓDŹ.txt", "bad|name.txt: warning: holds",
               "passwd: warning: a symbolic link (--follow-links",
               "src/aux.c: warning: has a part that Windows keeps for a device",
               "B: warning: a file where b/c.txt needs a folder",
               "back\\slash.txt: warning: holds \\", "caf\\xE9.txt: warning: is no UTF-8"});
#endif
  const Outcome init = Qpack({"init", app.string()});
  EXPECT_EQ(init.code, 0) << init.err;
  for (const std::string& warning : left)
    EXPECT_NE(init.err.find(warning), std::string::npos) << warning << "\n" << init.err;
  const std::string script = Slurp((app / "setup.ini").string());
  EXPECT_NE(script.find("AppName=Editor\r\n"), std::string::npos);
  EXPECT_NE(script.find("Program=bin\\editor.exe\r\n"), std::string::npos);
  EXPECT_NE(script.find("Name0=bin\\editor.exe*\r\nGroup0=Main*\r\nShortCut0=Yes*"),
            std::string::npos);
  EXPECT_NE(script.find("=locale\\pl\\LC_MESSAGES\\editor.mo*"), std::string::npos);
  EXPECT_EQ(script.find("passwd"), std::string::npos);
  Write(dir_ / "out.exe", "MZ");
#ifndef _WIN32
  // build packs nothing from outside: the link is an error there.
  const Outcome refused =
      Qpack({"build", app.string(), "-o", (dir_ / "out").string()}, (dir_ / "out.exe").string());
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.out.find("passwd: error: a symbolic link"), std::string::npos) << refused.out;
  fs::remove(app / "passwd");
#endif
  const Outcome rebuilt =
      Qpack({"build", app.string(), "-o", (dir_ / "out").string()}, (dir_ / "out.exe").string());
  EXPECT_EQ(rebuilt.code, 0) << rebuilt.out << rebuilt.err;
  EXPECT_NE(rebuilt.out.find("\n0 errors"), std::string::npos) << rebuilt.out;
#ifndef _WIN32
  EXPECT_EQ(qpack::ReadZip((dir_ / "out" / "setup.dat").string()).size(), 7u);
#else
  EXPECT_EQ(qpack::ReadZip((dir_ / "out" / "setup.dat").string()).size(), 4u);
#endif

  // Several programs: which one cannot be told, unless it is named.
  Write(app / "bin" / "helper.exe", "MZ");
  EXPECT_EQ(Qpack({"init", app.string(), "--force"}).code, 0);
  EXPECT_NE(Slurp((app / "setup.ini").string()).find("\r\nProgram=\r\n"), std::string::npos);
  EXPECT_EQ(Qpack({"init", app.string(), "--force", "--program", "bin\\helper.exe"}).code, 0);
  EXPECT_NE(Slurp((app / "setup.ini").string()).find("Program=bin\\helper.exe"), std::string::npos);
  EXPECT_EQ(Qpack({"init", app.string(), "--force", "--program", "nowhere.exe"}).code, 1);
}

TEST_F(Packager, BuildRefusesWhatItCannotPackage) {
  const fs::path app = dir_ / "App";
  Write(app / "App.exe", "MZ");
  Write(app / "setup.ini", Replace(kScript, "Name1=readme.txt*", "Name1=gone.txt*"));
  Write(app / "Docs" / "readme.txt", "x");
  const Outcome r = Qpack({"build", app.string(), "-o", (dir_ / "out").string()},
                          (dir_ / "missing.exe").string());
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("setup.ini:14: FILES Name1: error: no file gone.txt"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("setup.exe: error: not found"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir_ / "out"));
  EXPECT_EQ(Qpack({"build", app.string()}).code, 2);  // no -o
  EXPECT_EQ(Qpack({"frobnicate"}).code, 2);
  EXPECT_EQ(Qpack({"check", "--help"}).code, 0);
}

TEST(IniLines, CountAsAnEditorDoes) {
  TIniFile ini("[MAIN]\r\n\r\nA=1\rB=2\n\nA=3\r\n[FILES]\n");
  EXPECT_EQ(ini.LinesOf("main", "a"), (std::vector<size_t>{3, 6}));
  EXPECT_EQ(ini.LinesOf("MAIN", "B"), (std::vector<size_t>{4}));
  EXPECT_EQ(ini.SectionLine("FILES"), 7u);
  EXPECT_EQ(ini.SectionLine("GROUPS"), 0u);
}

}  // namespace
