// SHA-256 against the standard's examples and against sha256sum on files
// whose sizes sit around the 64-byte block and the 64 KiB read boundaries.
#include "engine/sha256.hpp"
#include "packager/safe_files.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::array<uint8_t, 32>& d) {
  std::string s;
  char buf[3];
  for (uint8_t b : d) std::snprintf(buf, sizeof buf, "%02X", b), s += buf;
  return s;
}

TEST(Sha256, KnownMessages) {
  const struct {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {std::string(1000000, 'a'),
       "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sha256Hex(c.message), c.digest) << c.message.size() << " bytes";
    // The same bytes fed in uneven pieces.
    Sha256 sha;
    for (size_t at = 0, step = 1; at < c.message.size(); at += step, step = step * 3 % 97 + 1)
      sha.Update(c.message.data() + at, std::min(step, c.message.size() - at));
    EXPECT_EQ(Hex(sha.Final()), c.digest) << c.message.size() << " bytes in pieces";
  }
}

// Where the processor has SHA extensions, they and the portable rounds give
// the same digests, fed in pieces of every size.
TEST(Sha256, BothWaysOfComputingAgree) {
  std::mt19937 rng(5);
  for (size_t size = 0; size < 600; size += 7) {
    std::string message(size, '\0');
    for (char& c : message) c = static_cast<char>(rng());
    std::string digests[2];
    for (const bool extensions : {true, false}) {
      Sha256::UseProcessorExtensions = extensions;
      Sha256 sha;
      for (size_t at = 0; at < size; at += 13)
        sha.Update(message.data() + at, std::min<size_t>(13, size - at));
      digests[extensions] = Hex(sha.Final());
    }
    EXPECT_EQ(digests[0], digests[1]) << size << " bytes";
  }
  Sha256::UseProcessorExtensions = true;
}

TEST(Sha256, FilesAgreeWithSha256sum) {
  const fs::path dir = fs::temp_directory_path() / ("sha256-test-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::mt19937 random(7);
  for (size_t size : {0, 1, 55, 56, 63, 64, 65, 119, 120, 65535, 65536, 65537, 300001}) {
    const fs::path file = dir / ("f" + std::to_string(size));
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    std::ofstream(file, std::ios::binary) << bytes;
    std::string expected(64, '\0');
    FILE* p = popen(("sha256sum '" + file.string() + "'").c_str(), "r");
    ASSERT_TRUE(p);
    expected.resize(std::fread(expected.data(), 1, 64, p));
    pclose(p);
    for (char& c : expected) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(qpack::Sha256HexOfFile(file.string()), expected) << size << " bytes";
  }
  const std::string missing = (dir / "missing").string();
  try {
    qpack::Sha256HexOfFile(missing);
    ADD_FAILURE() << "no error for a missing file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
  fs::remove_all(dir);
}

}  // namespace
