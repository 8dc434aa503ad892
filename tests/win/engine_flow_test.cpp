// The engine without windows, through its prompts and progress: extraction
// into place, the tool's stall limit, the destination checks, and the
// install sequence's stops and answers to errors.
#include <gtest/gtest.h>

#include <functional>

#include "engine/destination.hpp"
#include "engine/file_names.hpp"
#include "engine/install_sequence.hpp"
#include "engine/registry_entries.hpp"
#include "engine/uninstall.hpp"
#include "shell/shell_folders.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

class ScriptedPrompts : public TPrompts {
 public:
  std::vector<std::string> shown;
  std::vector<Answer> answers;  // taken in turn; then Yes to questions, Abort to errors

  void Message(const std::string& text) override { shown.push_back(text); }
  Answer Question(const std::string& text) override { return Take(text, Yes); }
  Answer AbortOrIgnore(const std::string& text) override { return Take(text, Abort); }

 private:
  Answer Take(const std::string& text, Answer otherwise) {
    shown.push_back(text);
    if (answers.empty()) return otherwise;
    const Answer a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

class RecordingProgress : public TProgress {
 public:
  std::vector<std::string> status;
  std::function<void()> onInput;  // a click that arrives while files install

  void Status(const std::string& text) override { status.push_back(text); }
  void FileProgress(int) override {}
  void ProcessPendingInput() override {
    if (onInput) onInput();
  }
};

// Every name in dir and below, directories included, hidden ones too.
std::vector<std::string> Everything(const std::string& dir, const std::string& prefix = "") {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    names.push_back(prefix + name);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      for (const std::string& n : Everything(dir + "\\" + name, prefix + name + "\\"))
        names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchDir("engine-" +
                      std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    src_ = dir_ + "\\src";
    target_ = dir_ + "\\target";
    CreateDirectoryA(src_.c_str(), nullptr);
    CreateDirectoryA(target_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(HostPath(ENGINE_ZIP).c_str(), (src_ + "\\setup.dat").c_str(), FALSE));
    WriteFile(src_ + "\\setup.exe", "the program");
  }
  void TearDown() override {
    SetCurrentDirectoryA(src_.substr(0, 3).c_str());
    RemoveTree(dir_);
  }

  TExtractor Extractor(const std::string& tool) {
    TExtractor x(ArchivePlace{src_ + "\\setup.dat"}, tool, prompts_, progress_, log_);
    x.PrepareArchive();
    return x;
  }

  std::string dir_, src_, target_;
  ScriptedPrompts prompts_;
  RecordingProgress progress_;
  TInstallLog log_;
};

TEST_F(Engine, BothRoadsReadTheArchiveWhereItLiesInsideAnotherFile) {
  // As a single setup file carries it: after the program, before a trailer.
  const std::string zip = ReadFile(src_ + "\\setup.dat");
  WriteFile(src_ + "\\single.exe", std::string(777, 'P') + zip + std::string(176, 'T'));
  const ArchivePlace inside{src_ + "\\single.exe", 777, zip.size()};
  CreateDirectoryA((dir_ + "\\tool").c_str(), nullptr);
  const std::string tool = dir_ + "\\tool\\unzip.exe";
  WriteFile(dir_ + "\\tool\\setup.dat", "someone else's");  // the folder is shared
  ASSERT_TRUE(CopyFileA(HostPath(UNZIP_EXE).c_str(), tool.c_str(), FALSE));
  for (const bool inProcess : {false, true}) {
    TExtractor x(inside, inProcess ? "" : tool, prompts_, progress_, log_, inProcess);
    x.PrepareArchive();
    const std::string out = target_ + (inProcess ? "\\fast" : "\\paced");
    CreateDirectoryA(out.c_str(), nullptr);
    EXPECT_TRUE(x.ExtractFile("good.txt", out)) << x.LastErrorText();
    EXPECT_EQ(ReadFile(out + "\\good.txt").substr(0, 14), "new contents\r\n");
    x.RemoveArchiveCopy();
    x.DropScratch();
  }
  EXPECT_TRUE(List(dir_ + "\\tool", "~qv*").empty());  // the tool's copy went
  EXPECT_EQ(ReadFile(dir_ + "\\tool\\setup.dat"), "someone else's");
}

TEST_F(Engine, AFailedExtractionLeavesTheOldFileAndNothingElse) {
  WriteFile(target_ + "\\damaged.txt", "old bytes");
  WriteFile(target_ + "\\good.txt", "old good");
  CreateDirectoryA((target_ + "\\taken").c_str(), nullptr);
  CreateDirectoryA((target_ + "\\taken\\good.txt").c_str(), nullptr);
  TExtractor x = Extractor(HostPath(UNZIP_EXE));

  EXPECT_FALSE(x.ExtractFile("damaged.txt", target_));  // a CRC error
  EXPECT_EQ(x.LastErrorText(), "Error 2");
  EXPECT_EQ(ReadFile(target_ + "\\damaged.txt"), "old bytes");
  // A name that climbs out of its directory is not extracted at all.
  EXPECT_FALSE(x.ExtractFile("../x.txt", target_));
  EXPECT_EQ(x.LastErrorText(), "Error - ../x.txt is not where its name says after extraction");
  EXPECT_FALSE(x.ExtractFile("good.txt", target_ + "\\taken"));  // cannot be written there
  EXPECT_NE(x.LastError(), 0u);
  EXPECT_EQ(Everything(dir_ + "\\target"),
            (std::vector<std::string>{"damaged.txt", "good.txt", "taken", "taken\\good.txt"}));
  EXPECT_EQ(ReadFile(target_ + "\\good.txt"), "old good");

  EXPECT_TRUE(x.ExtractFile("GOOD.TXT", target_));  // names match without regard to case
  EXPECT_EQ(ReadFile(target_ + "\\good.txt").substr(0, 14), "new contents\r\n");
  EXPECT_EQ(Everything(dir_ + "\\target").size(), 4u);
  EXPECT_EQ(Everything(dir_),
            (std::vector<std::string>{"src", "src\\setup.dat", "src\\setup.exe", "target",
                                      "target\\damaged.txt", "target\\good.txt", "target\\taken",
                                      "target\\taken\\good.txt"}));

  // No directory at all (a group without one) is not a drive's root.
  SetCurrentDirectoryA(target_.c_str());
  EXPECT_FALSE(x.ExtractFile("good.txt", ""));
  for (const std::string root : {"\\", "Z:\\"})  // Wine's unzip puts a rooted -d on Z:
    for (const char* left : {"good.txt", "~qs*"}) {
      WIN32_FIND_DATAA fd;
      const HANDLE h = FindFirstFileA((root + left).c_str(), &fd);
      EXPECT_EQ(h, INVALID_HANDLE_VALUE) << root << left;
      if (h != INVALID_HANDLE_VALUE) FindClose(h);
    }
}

TEST_F(Engine, OnlyAToolThatStallsIsEnded) {
  struct Case {
    const char* mode;
    bool ok;
  } cases[] = {{"grow", true}, {"stall", false}, {"never", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    WriteFile(src_ + "\\setup.dat", c.mode);
    WriteFile(target_ + "\\slow.bin", "old");
    TExtractor x = Extractor(HostPath(FAKE_UNZIP_EXE));
    x.StallLimitMs = 500;  // the tool writes for 1.5 s in all when it grows
    const DWORD start = GetTickCount();
    EXPECT_EQ(x.ExtractFile("slow.bin", target_), c.ok);
    const DWORD took = GetTickCount() - start;
    if (c.ok) {
      EXPECT_GE(took, 1400u);
      EXPECT_EQ(ReadFile(target_ + "\\slow.bin").size(), 15u * 1024);
    } else {
      EXPECT_LT(took, 4000u);
      EXPECT_EQ(x.LastErrorText(), "Error 258");
      EXPECT_EQ(ReadFile(target_ + "\\slow.bin"), "old");
    }
    EXPECT_EQ(Everything(target_), std::vector<std::string>{"slow.bin"});
  }
}

TEST_F(Engine, TheFastRoadReadsTheArchiveInProcess) {
  WriteFile(target_ + "\\damaged.txt", "old bytes");
  CreateDirectoryA((target_ + "\\sub").c_str(), nullptr);
  TExtractor x(ArchivePlace{src_ + "\\setup.dat"}, "", prompts_, progress_, log_,
               true);  // no tool at all
  x.PrepareArchive();
  // The unzip tool's codes, so that both roads say the same.
  EXPECT_FALSE(x.ExtractFile("damaged.txt", target_));
  EXPECT_EQ(x.LastErrorText(), "Error 2");
  EXPECT_EQ(ReadFile(target_ + "\\damaged.txt"), "old bytes");
  EXPECT_FALSE(x.ExtractFile("missing.txt", target_));
  EXPECT_EQ(x.LastErrorText(), "Error 11");
  EXPECT_FALSE(x.ExtractFile("../x.txt", target_));
  // Names match without regard to case; the file takes the member's spelling.
  EXPECT_TRUE(x.ExtractFile("GOOD.TXT", target_));
  EXPECT_EQ(ReadFile(target_ + "\\good.txt").substr(0, 14), "new contents\r\n");
  EXPECT_TRUE(x.ExtractFile("sub\\deep.txt", target_));
  EXPECT_EQ(ReadFile(target_ + "\\sub\\deep.txt"), "deep\r\n");
  EXPECT_TRUE(x.ExtractFile("caf\xC3\xA9.txt", target_));  // an OEM name of an older tool
  EXPECT_EQ(ReadFile(target_ + "\\caf\xC3\xA9.txt"), "old tool\r\n");
  // Stopped while a large file is written: it is not placed.
  int asked = 0;
  x.Stopped = [&] { return ++asked == 2; };
  EXPECT_FALSE(x.ExtractFile("big.bin", target_));
  EXPECT_EQ(x.LastError(), static_cast<unsigned long>(ERROR_CANCELLED));
  x.Stopped = nullptr;
  x.DropScratch();
  EXPECT_EQ(Everything(target_), (std::vector<std::string>{"caf\xE9.txt", "damaged.txt", "good.txt",
                                                           "sub", "sub\\deep.txt"}));
  EXPECT_TRUE(x.ExtractFile("big.bin", target_));
  EXPECT_EQ(ReadFile(target_ + "\\big.bin").size(), 3u << 20);
}

class Sequence : public Engine {
 protected:
  void SetUp() override {
    Engine::SetUp();
    app_ = "QvEngineTest" + std::to_string(GetCurrentProcessId());
    rec_.AppName = app_;
    rec_.DiskSpace = "0";
    inst_ = target_ + "\\Inst Dir";
    opt_.InstPath = inst_;
    opt_.Folder = "Folder";
    opt_.ProgramPath = src_ + "\\setup.exe";
    opt_.ToolPath = HostPath(UNZIP_EXE);
    TShellFolders& f = opt_.Folders;
    int n = 0;
    for (std::string* folder : {&f.ProgramsDir, &f.DesktopDir, &f.StartUpDir, &f.SendToDir}) {
      *folder = dir_ + "\\shell" + std::to_string(n++);
      CreateDirectoryA(folder->c_str(), nullptr);
    }
  }
  void TearDown() override {
    DeleteUninstallKeys(app_);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("Software\\Quorvane\\" + app_).c_str());
    Engine::TearDown();
  }
  void Files(const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string n = std::to_string(i);
      rec_.Files.Set("Name" + n, names[i]);
      rec_.Files.Set("Group" + n, "Main");
      rec_.Files.Set("ShortCut" + n, "Yes");
      rec_.Files.Set("Descritpion" + n, names[i]);
    }
  }
  std::string SavedLog() { return ReadFile(inst_ + "\\setup.log"); }
  // FILES entries in Main without shortcuts.
  static void PlainFiles(TSetupRec& rec, const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string n = std::to_string(i);
      rec.Files.Set("Name" + n, names[i]);
      rec.Files.Set("Group" + n, "Main");
      rec.Files.Set("ShortCut" + n, "No");
      rec.Files.Set("Descritpion" + n, "d");
    }
  }

  std::string app_, inst_;
  TSetupRec rec_;
  TInstallOptions opt_;
};

TEST_F(Engine, AnInstallationOfTheEarlierAnsiProgramIsRemovedCompletely) {
  // Its setup.log holds paths in the ANSI code page, without a mark.
  const std::string inst = target_ + "\\Caf\xC3\xA9 App";
  CreateDirectoryW(U(inst).c_str(), nullptr);
  CreateDirectoryW(U(inst + "\\R\xC3\xA9sum\xC3\xA9").c_str(), nullptr);
  WriteFile(inst + "\\R\xC3\xA9sum\xC3\xA9\\na\xC3\xAFve.txt", "x");
  WriteFile(inst + "\\setup.exe", "MZ");
  const std::string ansiInst = target_ + "\\Caf\xE9 App";
  WriteFile(inst + "\\setup.log",
            "Installing files...\r\n>>>> " + ansiInst + "\\R\xE9sum\xE9\\na\xEFve.txt\r\n");
  EXPECT_EQ(RemoveInstallation(inst).outcome, TUninstallOutcome::Removed);
  EXPECT_FALSE(Exists(inst));
}

TEST_F(Sequence, DestinationChecks) {
  {
    TInstallOptions none = opt_;
    none.InstPath = "";
    EXPECT_FALSE(TInstaller(rec_, none, log_, prompts_, progress_).CheckDestination());
  }
  rec_.DiskSpace = "$FFFFFFFFFFFFFFFF";  // would be negative if it wrapped
  EXPECT_FALSE(TInstaller(rec_, opt_, log_, prompts_, progress_).CheckDestination());
  rec_.DiskSpace = "0";
  opt_.InstPath = inst_ + "\\two";
  prompts_.answers = {TPrompts::No};
  EXPECT_FALSE(TInstaller(rec_, opt_, log_, prompts_, progress_).CheckDestination());
  EXPECT_FALSE(Exists(inst_));
  EXPECT_TRUE(TInstaller(rec_, opt_, log_, prompts_, progress_).CheckDestination());
  EXPECT_TRUE(Exists(inst_ + "\\two"));
  EXPECT_EQ(prompts_.shown,
            (std::vector<std::string>{
                "Please enter an installation path.", NotEnoughSpaceMessage(INT64_MAX),
                "Path does not exist, create it?", "Path does not exist, create it?"}));
}

TEST_F(Sequence, AbortAtAFileErrorKeepsWhatWasDoneRemovable) {
  Files({"damaged.txt", "good.txt"});
  CreateDirectoryA(inst_.c_str(), nullptr);
  TInstaller(rec_, opt_, log_, prompts_, progress_).Run();
  EXPECT_EQ(prompts_.shown, (std::vector<std::string>{"Error 2\r\ncopying damaged.txt",
                                                      "Error - Setup incomplete!"}));
  EXPECT_NE(SavedLog().find(">>>> " + inst_ + "\\damaged.txt\r\n"), std::string::npos);
  EXPECT_EQ(SavedLog().find("good.txt"), std::string::npos);
  EXPECT_FALSE(Exists(inst_ + "\\damaged.txt"));
  EXPECT_FALSE(Exists(opt_.Folders.ProgramsDir + "\\Folder"));  // no shortcut step
}

TEST_F(Sequence, CancelStopsAfterTheFileInHand) {
  Files({"good.txt", "damaged.txt"});
  CreateDirectoryA(inst_.c_str(), nullptr);
  TInstaller installer(rec_, opt_, log_, prompts_, progress_);
  progress_.onInput = [&] { installer.Cancel(); };
  installer.Run();
  EXPECT_EQ(prompts_.shown, std::vector<std::string>{"Error - Setup incomplete!"});
  EXPECT_TRUE(Exists(inst_ + "\\good.txt"));
  EXPECT_EQ(SavedLog().find("damaged.txt"), std::string::npos);
}

TEST_F(Sequence, CancelOnTheFastRoadStopsInsideTheFileInHand) {
  // Started from a path without a drive letter, the archive is read in
  // place: no copy, no tool.
  opt_.ProgramPath = "\\\\?\\" + src_ + "\\setup.exe";
  opt_.ToolPath = "";
  opt_.Fast = true;
  Files({"big.bin", "good.txt"});
  rec_.Groups.Set("Name0", "Main");
  rec_.Groups.Set("Dir0", inst_ + "\\Sub");
  CreateDirectoryA(inst_.c_str(), nullptr);
  TInstaller installer(rec_, opt_, log_, prompts_, progress_);
  progress_.onInput = [&] { installer.Cancel(); };
  installer.Run();
  EXPECT_EQ(installer.Result(), TInstallResult::Cancelled);
  EXPECT_EQ(prompts_.shown, std::vector<std::string>{"Error - Setup incomplete!"});
  EXPECT_EQ(Everything(inst_), (std::vector<std::string>{"Sub", "setup.log", "setup.sums"}));
  EXPECT_EQ(SavedLog().find("good.txt"), std::string::npos);
}

TEST_F(Sequence, BothRoadsLeaveTheSameLogFilesAndQuestions) {
  // Two directories, a missing member (ignored), a name listed twice, a
  // name with a folder.
  Files({"good.txt", "missing.txt", "good.txt", "good.txt", "sub\\deep.txt"});
  rec_.Files.Set("ShortCut4", "No");
  rec_.Groups.Set("Name0", "Docs");
  rec_.Groups.Set("Dir0", "<application path>\\Docs");
  rec_.Files.Set("Group1", "Docs");
  rec_.Files.Set("Group2", "Docs");
  rec_.Files.Set("Descritpion0", app_);  // the main shortcut: no wait for one
  struct Outcome {
    std::string log;
    std::vector<std::string> shown, files;
  } roads[2];
  for (const bool fast : {false, true}) {
    RemoveTree(inst_);
    CreateDirectoryA(inst_.c_str(), nullptr);
    TSetupRec rec = rec_;
    TInstallOptions opt = opt_;
    opt.Fast = fast;
    TInstallLog log;
    ScriptedPrompts prompts;
    prompts.answers = {TPrompts::Ignore};
    TInstaller(rec, opt, log, prompts, progress_).Run();
    roads[fast] = {SavedLog(), prompts.shown, Everything(inst_)};
  }
  EXPECT_EQ(roads[0].log, roads[1].log);
  EXPECT_EQ(roads[0].shown, roads[1].shown);
  EXPECT_EQ(roads[0].files, roads[1].files);
  EXPECT_EQ(roads[1].files,
            (std::vector<std::string>{"Docs", "Docs\\good.txt", "good.txt", "setup.exe",
                                      "setup.log", "setup.sums", "sub", "sub\\deep.txt"}));
  // The folder made for it is recorded after the file in it.
  EXPECT_LT(roads[1].log.find(">>>> " + inst_ + "\\sub\\deep.txt\r\n"),
            roads[1].log.find(">>>> " + inst_ + "\\sub\\\r\n"));
}

TEST_F(Sequence, AnUpgradeAndTheRemovalLeaveTheUsersFilesAlone) {
  opt_.Fast = true;
  const std::string deep = "deep\\" + std::string(60, 'd') + ".txt";
  const auto install = [&](const std::vector<std::string>& names) {
    TSetupRec rec = rec_;
    PlainFiles(rec, names);
    TInstallLog log;
    TInstaller installer(rec, opt_, log, prompts_, progress_);
    installer.Run();
    EXPECT_EQ(installer.Result(), TInstallResult::Completed);
  };
  CreateDirectoryA(inst_.c_str(), nullptr);
  install({"good.txt", "sub\\deep.txt", deep});
  EXPECT_NE(ReadFile(inst_ + "\\setup.sums").find(" " + inst_ + "\\sub\\deep.txt\r\n"),
            std::string::npos);
  WriteFile(inst_ + "\\sub\\deep.txt", "the user's own text\r\n");
  WriteFile(inst_ + "\\notes.txt", "added by the user");
  // The next version ships only good.txt: the unchanged file and its folder go.
  install({"good.txt"});
  EXPECT_FALSE(Exists(inst_ + "\\deep"));
  EXPECT_NE(SavedLog().find("Kept from the earlier installation:\r\n>>>> " + inst_ +
                            "\\sub\\deep.txt\r\n"),
            std::string::npos);
  EXPECT_EQ(SavedLog().find("ddd"), std::string::npos);
  const TRemoval removal = RemoveInstallation(inst_);
  EXPECT_EQ(removal.outcome, TUninstallOutcome::KeptChanged);
  EXPECT_EQ(removal.kept, std::vector<std::string>{inst_ + "\\sub\\deep.txt"});
  EXPECT_EQ(RemovalMessage(removal),
            "Application removed!\r\nFiles you changed were kept:\r\n" + inst_ + "\\sub\\deep.txt");
  EXPECT_EQ(Everything(inst_), (std::vector<std::string>{"notes.txt", "sub", "sub\\deep.txt"}));
}

TEST_F(Sequence, AFailedUpgradeLeavesTheEarlierVersionExactly) {
  opt_.Fast = true;
  Files({"good.txt", "sub\\deep.txt"});
  CreateDirectoryA(inst_.c_str(), nullptr);
  { TInstaller(rec_, opt_, log_, prompts_, progress_).Run(); }
  WriteFile(inst_ + "\\good.txt", "as the earlier version had it");
  SetFileAttributesA((inst_ + "\\good.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<std::string> before = Everything(inst_);
  const std::string log = SavedLog(), sums = ReadFile(inst_ + "\\setup.sums");
  // The next version replaces good.txt, adds a folder and a file, then
  // meets a damaged member: everything goes back.
  opt_.Rollback = true;
  TSetupRec next = rec_;
  next.Files = TLineList();
  PlainFiles(next,
             {"good.txt", "big.bin", "deep\\" + std::string(60, 'd') + ".txt", "damaged.txt"});
  TInstallLog nextLog;
  TInstaller upgrade(next, opt_, nextLog, prompts_, progress_);
  upgrade.Run();
  EXPECT_EQ(upgrade.Result(), TInstallResult::FileError);
  EXPECT_EQ(Everything(inst_), before);
  EXPECT_EQ(ReadFile(inst_ + "\\good.txt"), "as the earlier version had it");
  EXPECT_EQ(GetFileAttributesA((inst_ + "\\good.txt").c_str()) &
                (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(SavedLog(), log);
  EXPECT_EQ(ReadFile(inst_ + "\\setup.sums"), sums);
  SetFileAttributesA((inst_ + "\\good.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Sequence, ATooLongPathEndsTheProgramWithTheLogSaved) {
  Files({"good.txt"});
  inst_ = target_ + "\\" + std::string(130, 'p');
  opt_.InstPath = inst_;
  CreateDirectoryA(inst_.c_str(), nullptr);
  TInstaller installer(rec_, opt_, log_, prompts_, progress_);
  EXPECT_THROW(installer.Run(), EEndProgram);
  EXPECT_EQ(prompts_.shown,
            std::vector<std::string>{
                "Path too long!\r\nTry extracting all files locally.\r\nSetup incomplete!"});
  EXPECT_NE(SavedLog().find("extracting good.txt to"), std::string::npos);
}

TEST_F(Sequence, TheFastRoadHasNoCommandLineLimitOnlyTheSystemsPathLimit) {
  const std::string deep = std::string("deep\\") + std::string(60, 'd') + ".txt";
  // The file's path takes 200 characters, its one-file command line more than 256.
  const std::string longDir = inst_ + "\\" + std::string(200 - 2 - deep.size() - inst_.size(), 'l');
  ASSERT_GE(UnzipParameters(src_ + "\\setup.dat", MemberName(deep), longDir).size(), 256u);
  ASSERT_LT((longDir + "\\" + deep).size(), 260u);
  const std::string tooLong = inst_ + "\\" + std::string(252 - 1 - inst_.size(), 't');
  Files({deep, "good.txt"});
  rec_.Files.Set("ShortCut0", "No");
  rec_.Groups.Set("Name0", "Long");
  rec_.Groups.Set("Dir0", longDir);
  rec_.Groups.Set("Name1", "TooLong");
  rec_.Groups.Set("Dir1", tooLong);
  rec_.Files.Set("Group0", "Long");
  rec_.Files.Set("Group1", "TooLong");
  opt_.Fast = true;
  CreateDirectoryA(inst_.c_str(), nullptr);
  EXPECT_THROW(TInstaller(rec_, opt_, log_, prompts_, progress_).Run(), EEndProgram);
  EXPECT_EQ(prompts_.shown, std::vector<std::string>{"Path too long!\r\n" + tooLong +
                                                     "\\good.txt\r\nChoose a shorter installation "
                                                     "path.\r\nSetup incomplete!"});
  EXPECT_EQ(ReadFile(longDir + "\\" + deep), "deep file\r\n");
  EXPECT_NE(SavedLog().find(">>>> " + longDir + "\\deep\\\r\n"), std::string::npos);
}

// Points the shell link class at a library that does not exist, so that
// creating a link object fails, and puts the registration back afterwards.
class BrokenShellLinkClass {
 public:
  BrokenShellLinkClass() {
    RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_ALL_ACCESS, &key_);
    DWORD size = sizeof saved_;
    RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved_), &size);
    const char missing[] = "C:\\nowhere\\missing.dll";
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(missing),
                   sizeof missing);
  }
  ~BrokenShellLinkClass() {
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_),
                   static_cast<DWORD>(strlen(saved_) + 1));
    RegCloseKey(key_);
  }
  bool Broken() const { return key_ && saved_[0]; }

 private:
  static constexpr const char* kKey =
      "CLSID\\{00021401-0000-0000-C000-000000000046}\\InprocServer32";
  HKEY key_ = nullptr;
  char saved_[MAX_PATH] = {};
};

TEST_F(Sequence, WithoutAShellLinkObjectTheRestIsStillInstalled) {
  Files({"good.txt"});
  CreateDirectoryA(inst_.c_str(), nullptr);
  {
    BrokenShellLinkClass broken;
    ASSERT_TRUE(broken.Broken());
    TInstaller(rec_, opt_, log_, prompts_, progress_).Run();
  }
  ASSERT_GE(prompts_.shown.size(), 2u);
  EXPECT_EQ(prompts_.shown[0], "\"CoCreateInstance\" failed.");  // once, not per link
  EXPECT_EQ(prompts_.shown[1], "Setup Completed!");
  EXPECT_NE(SavedLog().find(">Error - Can not save shortcut: " + opt_.Folders.ProgramsDir +
                            "\\Folder\\good.txt.lnk"),
            std::string::npos);
  EXPECT_NE(SavedLog().find("Creating Keys..."), std::string::npos);
  EXPECT_TRUE(Exists(inst_ + "\\good.txt"));
}

}  // namespace
