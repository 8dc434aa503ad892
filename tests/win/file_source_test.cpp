// TFileSource at run time: temporary-file naming, ownership and deletion,
// and the authoring side's messages.
#include "filestore/file_source.hpp"

#include <gtest/gtest.h>

#include "filestore/compress_stream.hpp"
#include "tests/unit/test_data.hpp"
#include "tests/win/win_test_util.hpp"

using namespace filestore;
using namespace wintest;

namespace {

class FileSource : public ::testing::Test {
 protected:
  // Each test gets its own temporary directory, through TMP as Windows does.
  void SetUp() override {
    dir_ = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    char old[MAX_PATH] = {};
    GetEnvironmentVariableA("TMP", old, MAX_PATH);
    oldTmp_ = old;
    SetEnvironmentVariableA("TMP", (dir_ + "\\").c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
    RemoveTree(dir_);
  }

  static std::vector<uint8_t> Record(const std::vector<uint8_t>& file, bool compress) {
    MemoryReader in(file.data(), file.size());
    VectorWriter out;
    if (compress)
      TCompressStream().Encode(in, out, file.size());
    else
      EncodePlain(in, out, file.size());
    return out.Data();
  }
  static void Load(TFileSource& fs, const std::vector<uint8_t>& rec) {
    MemoryReader in(rec.data(), rec.size());
    fs.ReadData(in);
  }
  static int Seconds() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wSecond;
  }

  std::string dir_, oldTmp_;
};

TEST_F(FileSource, WritesTheStoredFileAsTempFileAndDeletesItOnDestruction) {
  auto data = testdata::Prose(100000);
  std::string path;
  {
    TFileSource fs("FileSource1");
    fs.SetCompress(true);
    EXPECT_TRUE(fs.Store());
    fs.SetExtension(".exe");
    const int before = Seconds();
    Load(fs, Record(data, true));
    const int after = Seconds();
    path = fs.FileName();
    EXPECT_TRUE(fs.TempCreated());
    // ~fs + seconds + n + extension, directly in the temporary directory.
    const std::string a = dir_ + "\\~fs" + std::to_string(before) + "0.exe";
    const std::string b = dir_ + "\\~fs" + std::to_string(after) + "0.exe";
    EXPECT_TRUE(path == a || path == b) << path;
    EXPECT_EQ(ReadFile(path), std::string(data.begin(), data.end()));
    // Held while owned: the unzip tool started from it is the one decoded.
    EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_FALSE(MoveFileA(path.c_str(), (dir_ + "\\moved.exe").c_str()));
  }
  EXPECT_FALSE(Exists(path));
}

TEST_F(FileSource, SkipsNamesThatAreTaken) {
  // Occupy n = 0 for every second, one of them with a directory.
  for (int s = 0; s < 60; ++s) {
    std::string name = dir_ + "\\~fs" + std::to_string(s) + "0.bmp";
    if (s % 2)
      WriteFile(name, "x");
    else
      CreateDirectoryA(name.c_str(), nullptr);
  }
  TFileSource fs("imgzip3");
  fs.SetCompress(true);
  fs.SetExtension(".bmp");
  Load(fs, Record(testdata::Text("BM"), true));
  const std::string name = fs.FileName();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.substr(name.size() - 5), "1.bmp") << name;
  EXPECT_EQ(ReadFile(name), "BM");
}

TEST_F(FileSource, PlainRecordsAreReadByCount) {
  TFileSource fs("x");
  fs.SetExtension(".txt");
  auto rec = testdata::Bytes({0, 0, 0, 0, 0x99});
  MemoryReader in(rec.data(), rec.size());
  fs.ReadData(in);
  EXPECT_EQ(in.Remaining(), 1u);
  EXPECT_EQ(ReadFile(fs.FileName()), "");
  EXPECT_FALSE(fs.FileName().empty());
}

TEST_F(FileSource, FileNameIsEmptyOnceTheFileIsGone) {
  TFileSource fs("x");
  const std::string path = dir_ + "\\given.exe";
  WriteFile(path, "abc");
  fs.SetFileName(path);
  EXPECT_EQ(fs.FileName(), path);
  ASSERT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_EQ(fs.FileName(), "");
}

TEST_F(FileSource, AssigningFileNameDeletesTheOwnedTempFileFirst) {
  TFileSource fs("x");
  fs.SetCompress(true);
  fs.SetExtension(".exe");
  Load(fs, Record(testdata::Text("abc"), true));
  const std::string temp = fs.FileName();
  const std::string other = dir_ + "\\keep.me.dat";
  WriteFile(other, "mine");
  fs.SetFileName(other);
  EXPECT_FALSE(Exists(temp));
  EXPECT_FALSE(fs.TempCreated());
  EXPECT_EQ(fs.Extension(), ".dat");
  EXPECT_EQ(fs.FileName(), other);
  fs.SetFileName(dir_ + "\\dir.v2\\noext");
  EXPECT_EQ(fs.Extension(), "");
  EXPECT_TRUE(Exists(other));  // not ours: never deleted
}

TEST_F(FileSource, BadRecordFailsButTheTempFileIsStillCleanedUp) {
  auto rec = Record(testdata::Text("abc"), true);
  rec[5] = '1';  // PMCS11
  std::string made;
  {
    TFileSource fs("FileSource1");
    fs.SetCompress(true);
    fs.SetExtension(".exe");
    try {
      Load(fs, rec);
      FAIL() << "no error";
    } catch (const EStoredFile& e) {
      EXPECT_STREQ(e.what(), "Wrong file type");
    }
    EXPECT_TRUE(fs.TempCreated());
    made = fs.FileName();
    EXPECT_FALSE(made.empty());
  }
  EXPECT_FALSE(Exists(made));
}

TEST_F(FileSource, WriteDataStoresTheFileOrSaysItIsMissing) {
  TFileSource fs("FileSource1");
  fs.SetFileName("C:\\x.exe");
  try {
    VectorWriter out;
    fs.WriteData(out);
    FAIL() << "no error";
  } catch (const EFileSource& e) {
    EXPECT_STREQ(e.what(), "FileSource1 cannot store file: C:\\x.exe (file is missing)");
  }
  auto data = testdata::Runs(70000);
  const std::string src = dir_ + "\\src.bin";
  WriteFile(src, std::string(data.begin(), data.end()));
  fs.SetFileName(src);
  fs.SetCompress(true);
  VectorWriter rec;
  fs.WriteData(rec);
  EXPECT_EQ(rec.Data(), Record(data, true));
  fs.SetCompress(false);
  VectorWriter plain;
  fs.WriteData(plain);
  EXPECT_EQ(plain.Data(), Record(data, false));
}

}  // namespace
