// The carried unzip tool extracts single members with the program's exact
// command-line form, and reports failure through its exit code.
#include <gtest/gtest.h>

#include "engine/extraction.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

class UnzipTool : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = ScratchDir("unzip"); }
  void TearDown() override { RemoveTree(dir_); }

  long Extract(const std::string& member) {
    return RunProcess("\"" + HostPath(UNZIP_EXE) + "\" -Coq \"" + HostPath(TEST_ZIP) + "\" \"" +
                      member + "\" -d\"" + dir_ + "\"");
  }
  std::string dir_;
};

TEST_F(UnzipTool, ExtractsOneMemberByteForByte) {
  ASSERT_EQ(Extract("payload.bin"), 0);
  EXPECT_EQ(ReadFile(dir_ + "\\payload.bin"), ReadFile(HostPath(UNZIP_EXE)));
  EXPECT_FALSE(Exists(dir_ + "\\Docs"));  // only the named member
}

TEST_F(UnzipTool, MatchesMemberNamesWithoutRegardToCase) {
  ASSERT_EQ(Extract("docs/readme.txt"), 0);
  std::string text = ReadFile(dir_ + "\\Docs\\ReadMe.TXT");
  EXPECT_EQ(text.substr(0, 20), "Read me, line 0000\r\n");
  EXPECT_EQ(text.size(), 2000u * 20);
}

TEST_F(UnzipTool, OverwritesAnExistingFile) {
  WriteFile(dir_ + "\\payload.bin", "old contents");
  ASSERT_EQ(Extract("payload.bin"), 0);
  EXPECT_EQ(ReadFile(dir_ + "\\payload.bin"), ReadFile(HostPath(UNZIP_EXE)));
}

TEST_F(UnzipTool, TheProgramsParametersSurviveATrailingBackslash) {
  // "-d"C:\dir\"" would end in an escaped quote; the program doubles it.
  const std::string params = UnzipParameters(HostPath(TEST_ZIP), "payload.bin", dir_ + "\\");
  EXPECT_EQ(params.substr(params.size() - 3), "\\\\\"");
  ASSERT_EQ(RunProcess("\"" + HostPath(UNZIP_EXE) + "\" " + params), 0);
  EXPECT_EQ(ReadFile(dir_ + "\\payload.bin"), ReadFile(HostPath(UNZIP_EXE)));
}

TEST_F(UnzipTool, MissingMemberFailsWithCode11) {
  EXPECT_EQ(Extract("nothing.here"), 11);
  EXPECT_TRUE(List(dir_, "*").empty());
}

}  // namespace
