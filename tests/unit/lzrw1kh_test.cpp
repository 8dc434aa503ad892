// Block codec: exact encodings, round trips, and safety on malformed blocks.
#include "filestore/lzrw1kh.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/unit/test_data.hpp"

using namespace filestore;
using testdata::Bytes;
using testdata::Text;

namespace {

class Codec : public ::testing::Test {
 protected:
  static std::vector<uint8_t> Encode(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out(in.size() + kCompressSlack);
    TMatchTable table;
    uint16_t n = CompressBlock(table, in.data(), out.data(), static_cast<uint32_t>(in.size()));
    out.resize(n);
    return out;
  }

  // Decodes into a buffer of exactly cap bytes followed by a sentinel that
  // must survive whatever the block says.
  static int32_t Decode(const std::vector<uint8_t>& block, std::vector<uint8_t>& out,
                        uint32_t cap = kMaxBlockSize) {
    std::vector<uint8_t> buf(cap + 64, 0xA5);
    int32_t n = DecompressBlock(block.data(), buf.data(), static_cast<uint32_t>(block.size()), cap);
    for (size_t i = cap; i < buf.size(); ++i)
      if (buf[i] != 0xA5) ADD_FAILURE() << "wrote past the output at " << i;
    out.assign(buf.begin(), buf.begin() + (n > 0 ? n : 0));
    return n;
  }

  static void ExpectRoundTrip(const std::vector<uint8_t>& in) {
    auto enc = Encode(in);
    ASSERT_LE(enc.size(), in.size() + 1);
    ASSERT_TRUE(enc[0] == kFlagCompressed || enc[0] == kFlagStored);
    std::vector<uint8_t> out;
    ASSERT_EQ(Decode(enc, out), static_cast<int32_t>(in.size()));
    ASSERT_EQ(out, in);
  }
};

TEST_F(Codec, EncodesTheKnownVectors) {
  EXPECT_EQ(Encode({}), Bytes({0x80}));
  EXPECT_EQ(Encode(Text("abc")), Bytes({0x80, 0x61, 0x62, 0x63}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(20, 0x41)),
            Bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 0x41}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(15, 0x41)), Bytes({0x40, 0x40, 0x00, 0x41, 0x00, 0x1B}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(16, 0x41)),
            Bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 0x41}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(4095, 0x41)),
            Bytes({0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 0x41}));
  EXPECT_EQ(Encode(std::vector<uint8_t>(4096, 0x41)),
            Bytes({0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 0x41, 0x41}));
  EXPECT_EQ(Encode(Text("abcabcabcabc")), Bytes({0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x36}));
  EXPECT_EQ(Encode(Text("abcdabcdabcdabcdabcdabcdabcdabcdabcdabcd")),
            Bytes({0x40, 0x0C, 0x00, 0x61, 0x62, 0x63, 0x64, 0x00, 0x4F, 0x01, 0x4F}));
}

TEST_F(Codec, ControlWordsSitBeforeTheirGroup) {
  // 16 literals then runs: the 17th item needs a fresh control word placed
  // right after the 16th item, and the last word is left-aligned.
  std::vector<uint8_t> in = Text("0123456789ABCDEF");
  in.insert(in.end(), 20, 'x');
  auto enc = Encode(in);
  ASSERT_EQ(enc.size(), 1u + 2 + 16 + 2 + 4);
  EXPECT_EQ(enc[1], 0x00);
  EXPECT_EQ(enc[2], 0x00);
  EXPECT_EQ(enc[19], 0x80);  // one item, left-aligned
  EXPECT_EQ(enc[20], 0x00);
  std::vector<uint8_t> out;
  EXPECT_EQ(Decode(enc, out), static_cast<int32_t>(in.size()));
  EXPECT_EQ(out, in);

  // Exactly 16 items: no control word after the last item.
  std::vector<uint8_t> sixteen;
  for (int i = 0; i < 16; ++i) sixteen.insert(sixteen.end(), 16, static_cast<uint8_t>('a' + i));
  enc = Encode(sixteen);
  EXPECT_EQ(enc.size(), 1u + 2 + 16 * 4);
  EXPECT_EQ(enc[1], 0xFF);
  EXPECT_EQ(enc[2], 0xFF);
  EXPECT_EQ(Decode(enc, out), 256);
}

TEST_F(Codec, IncompressibleFullBlockIsStored) {
  auto in = testdata::Random(kMaxBlockSize);
  auto enc = Encode(in);
  ASSERT_EQ(enc.size(), kMaxEncodedSize);
  EXPECT_EQ(enc[0], kFlagStored);
  std::vector<uint8_t> out;
  EXPECT_EQ(Decode(enc, out), static_cast<int32_t>(kMaxBlockSize));
  EXPECT_EQ(out, in);
}

TEST_F(Codec, RoundTripsVariedDataAndSizes) {
  const uint32_t sizes[] = {0, 1, 2, 3, 15, 16, 17, 4095, 4096, 4097, 32767, 32768, 32783};
  for (uint32_t n : sizes) {
    SCOPED_TRACE(n);
    ExpectRoundTrip(testdata::Random(n));
    ExpectRoundTrip(testdata::Prose(n));
    ExpectRoundTrip(testdata::Runs(n));
    ExpectRoundTrip(testdata::Binary(n));
    ExpectRoundTrip(std::vector<uint8_t>(n, 0));
  }
}

TEST_F(Codec, PositionsPastSignedRangeStillRoundTrip) {
  // Matches in the last 15 bytes of a full block hit table entries that
  // read back negative; they must be refused, not followed.
  auto in = testdata::Prose(kMaxBlockSize, 3);
  for (uint32_t i = 32760; i < kMaxBlockSize; ++i) in[i] = in[i - 32760 + 100];
  ExpectRoundTrip(in);
}

TEST_F(Codec, CompressedFormOfExactlyTheInputSizeStaysCompressed) {
  auto in = Text("abcabcab");
  auto enc = Encode(in);
  EXPECT_EQ(enc.size(), 8u);
  EXPECT_EQ(enc[0], kFlagCompressed);
  std::vector<uint8_t> out;
  EXPECT_EQ(Decode(enc, out), 8);
  EXPECT_EQ(out, in);
}

TEST_F(Codec, RejectsInconsistentBlocks) {
  std::vector<uint8_t> out;
  // Empty block: no flag at all.
  EXPECT_EQ(Decode({}, out), -1);
  // A copy reaching before the start of the output.
  EXPECT_EQ(Decode(Bytes({0x40, 0x80, 0x00, 0x00, 0x10}), out), -1);
  EXPECT_EQ(Decode(Bytes({0x40, 0x40, 0x00, 0x41, 0x00, 0x20}), out), -1);
  // A copy item cut after its first byte; a run item cut after three.
  EXPECT_EQ(Decode(Bytes({0x40, 0x40, 0x00, 0x41, 0x00}), out), -1);
  EXPECT_EQ(Decode(Bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x04}), out), -1);
  // A control word with nothing after it.
  std::vector<uint8_t> blk = {0x40, 0x00, 0x00};
  blk.insert(blk.end(), 16, 'z');
  blk.push_back(0);
  blk.push_back(0);
  EXPECT_EQ(Decode(blk, out), -1);
  // A control word cut in half.
  blk.pop_back();
  EXPECT_EQ(Decode(blk, out), -1);
  // A two-byte compressed block has no room for its control word.
  EXPECT_EQ(Decode(Bytes({0x40, 0x00}), out), -1);
}

TEST_F(Codec, NeverWritesPastTheOutputBuffer) {
  std::vector<uint8_t> out;
  // Runs adding up to more than a block.
  std::vector<uint8_t> blk = {0x40, 0xFF, 0xFF};
  for (int i = 0; i < 9; ++i) blk.insert(blk.end(), {0x00, 0x0F, 0xEF, 0x55});
  EXPECT_EQ(Decode(blk, out), -1);
  // One byte short: a valid encoding of 4,096 bytes into 4,095.
  auto enc = Encode(std::vector<uint8_t>(4096, 7));
  EXPECT_EQ(Decode(enc, out, 4095), -1);
  EXPECT_EQ(Decode(enc, out, 4096), 4096);
  // A copy whose end passes the buffer.
  auto enc2 = Encode(Text("abcabcabcabc"));
  EXPECT_EQ(Decode(enc2, out, 11), -1);
  EXPECT_EQ(Decode(enc2, out, 12), 12);
  // A stored block larger than the buffer.
  auto enc3 = Encode(testdata::Random(100));
  EXPECT_EQ(Decode(enc3, out, 99), -1);
  EXPECT_EQ(Decode(enc3, out, 100), 100);
}

TEST_F(Codec, NoiseNeverEscapesTheBuffers) {
  // Random blocks with a compressed flag, decoded into small buffers: the
  // sentinel check in Decode catches any stray write, ASan any stray read.
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    auto blk = testdata::Random(1 + seed % 200, seed);
    blk[0] = kFlagCompressed;
    std::vector<uint8_t> out;
    int32_t n = Decode(blk, out, seed % 97 + 1);
    EXPECT_GE(n, -1);
  }
}

}  // namespace
