// The filestore command: round trips, messages, exit codes, no partial output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/unit/test_data.hpp"

namespace fs = std::filesystem;

namespace {

class Tool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("filestore-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string P(const std::string& name) const { return (dir_ / name).string(); }

  // Runs the tool; returns its exit code and leaves stderr in err_.
  int Run(const std::string& args) {
    const std::string errFile = P("stderr.txt");
    // Quoted: the clone may lie in a folder with blanks.
    int rc = std::system(
        ("'" + std::string(FILESTORE_TOOL) + "' " + args + " 2>'" + errFile + "'").c_str());
    err_ = Read(errFile);
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  static std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  static void Write(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
  }

  fs::path dir_;
  std::string err_;
};

TEST_F(Tool, RoundTripsBothForms) {
  auto data = testdata::Prose(100000);
  auto more = testdata::Random(20000);
  data.insert(data.end(), more.begin(), more.end());
  Write(P("in.bin"), data);
  for (const char* form : {"", "--plain "}) {
    SCOPED_TRACE(form);
    ASSERT_EQ(Run(std::string("pack ") + form + P("in.bin") + " " + P("rec")), 0) << err_;
    ASSERT_EQ(Run(std::string("unpack ") + form + P("rec") + " " + P("out.bin")), 0) << err_;
    EXPECT_EQ(Read(P("out.bin")), Read(P("in.bin")));
  }
}

TEST_F(Tool, WritesTheKnownRecordBytes) {
  Write(P("abc"), testdata::Text("abc"));
  ASSERT_EQ(Run("pack " + P("abc") + " " + P("rec")), 0);
  EXPECT_EQ(Read(P("rec")), std::string("PMCS10\x08\0\0\0\x04\0\0\0\x80"
                                        "abc",
                                        18));
  Write(P("empty"), {});
  ASSERT_EQ(Run("pack " + P("empty") + " " + P("rec0")), 0);
  EXPECT_EQ(Read(P("rec0")), std::string("PMCS10\0\0\0\0", 10));
}

TEST_F(Tool, MissingInputIsReportedAndNothingWritten) {
  EXPECT_EQ(Run("pack " + P("nope.exe") + " " + P("rec")), 1);
  EXPECT_EQ(err_, "filestore cannot store file: " + P("nope.exe") + " (file is missing)\n");
  EXPECT_FALSE(fs::exists(P("rec")));
}

TEST_F(Tool, BadRecordsFailWithoutPartialOutput) {
  Write(P("in"), testdata::Prose(70000));
  ASSERT_EQ(Run("pack " + P("in") + " " + P("rec")), 0);
  std::string rec = Read(P("rec"));

  std::string wrong = rec;
  wrong[5] = '1';
  Write(P("wrong"), std::vector<uint8_t>(wrong.begin(), wrong.end()));
  EXPECT_EQ(Run("unpack " + P("wrong") + " " + P("out")), 1);
  EXPECT_EQ(err_, "Wrong file type\n");
  EXPECT_FALSE(fs::exists(P("out")));

  // Cut after the first block: the first block would decode fine, yet no
  // output may remain.
  std::string cut = rec.substr(0, rec.size() - 10);
  Write(P("cut"), std::vector<uint8_t>(cut.begin(), cut.end()));
  EXPECT_EQ(Run("unpack " + P("cut") + " " + P("out")), 1);
  EXPECT_NE(err_.find("truncated"), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(P("out")));
  EXPECT_FALSE(fs::exists(P("out.partial")));

  EXPECT_EQ(Run("unpack " + P("missing") + " " + P("out")), 1);
  EXPECT_FALSE(fs::exists(P("out")));
  EXPECT_EQ(Run("frobnicate a b"), 2);
}

}  // namespace
