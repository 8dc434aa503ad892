// Stored-file record: exact bytes of both forms and failures on bad records.
#include "filestore/compress_stream.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tests/unit/test_data.hpp"

using namespace filestore;
using testdata::Bytes;

namespace {

class Record : public ::testing::Test {
 protected:
  static std::vector<uint8_t> Pack(const std::vector<uint8_t>& file) {
    MemoryReader in(file.data(), file.size());
    VectorWriter out;
    TCompressStream().Encode(in, out, file.size());
    return out.Data();
  }
  static std::vector<uint8_t> Unpack(const std::vector<uint8_t>& rec) {
    MemoryReader in(rec.data(), rec.size());
    VectorWriter out;
    TCompressStream().Decode(in, out);
    return out.Data();
  }
  static std::vector<uint8_t> PackPlain(const std::vector<uint8_t>& file) {
    MemoryReader in(file.data(), file.size());
    VectorWriter out;
    EncodePlain(in, out, file.size());
    return out.Data();
  }
  static std::string UnpackError(const std::vector<uint8_t>& rec) {
    try {
      Unpack(rec);
    } catch (const EStoredFile& e) {
      return e.what();
    }
    return "no error";
  }
  static int32_t Int32At(const std::vector<uint8_t>& v, size_t at) {
    return static_cast<int32_t>(v[at] | v[at + 1] << 8 | v[at + 2] << 16 |
                                uint32_t{v[at + 3]} << 24);
  }
};

TEST_F(Record, CompressedFormHasTheKnownBytes) {
  EXPECT_EQ(Pack({}), Bytes({0x50, 0x4D, 0x43, 0x53, 0x31, 0x30, 0, 0, 0, 0}));
  EXPECT_EQ(Pack(testdata::Text("abc")), Bytes({0x50, 0x4D, 0x43, 0x53, 0x31, 0x30, 0x08, 0, 0, 0,
                                                0x04, 0, 0, 0, 0x80, 0x61, 0x62, 0x63}));
  EXPECT_TRUE(Unpack(Pack({})).empty());
}

TEST_F(Record, BlocksSplitAtTheBlockSize) {
  auto one = testdata::Random(kMaxBlockSize);
  auto rec = Pack(one);
  ASSERT_EQ(rec.size(), 10u + 4 + kMaxEncodedSize);
  EXPECT_EQ(Int32At(rec, 6), static_cast<int32_t>(4 + kMaxEncodedSize));
  EXPECT_EQ(Unpack(rec), one);

  auto two = testdata::Random(kMaxBlockSize + 1);
  rec = Pack(two);
  ASSERT_EQ(rec.size(), 10u + 4 + kMaxEncodedSize + 4 + 2);
  EXPECT_EQ(Int32At(rec, 6), static_cast<int32_t>(rec.size() - 10));
  const size_t tail = rec.size() - 6;
  EXPECT_EQ(std::vector<uint8_t>(rec.begin() + tail, rec.end()),
            Bytes({0x02, 0, 0, 0, 0x80, two.back()}));
  EXPECT_EQ(Unpack(rec), two);
}

TEST_F(Record, RoundTripsLargeMixedFiles) {
  std::vector<uint8_t> file;
  for (int i = 0; i < 4; ++i) {
    auto a = testdata::Prose(50000, i + 1), b = testdata::Runs(30000, i + 1),
         c = testdata::Random(9000, i + 1);
    file.insert(file.end(), a.begin(), a.end());
    file.insert(file.end(), b.begin(), b.end());
    file.insert(file.end(), c.begin(), c.end());
  }
  auto rec = Pack(file);
  EXPECT_LT(rec.size(), file.size());
  EXPECT_EQ(Unpack(rec), file);
}

TEST_F(Record, EncodeStopsWhenTheSourceEnds) {
  auto file = testdata::Prose(100);
  MemoryReader in(file.data(), file.size());
  VectorWriter out;
  TCompressStream().Encode(in, out, 1000000);
  EXPECT_EQ(Unpack(out.Data()), file);
}

TEST_F(Record, PlainFormIsCountThenBytes) {
  EXPECT_EQ(PackPlain({}), Bytes({0, 0, 0, 0}));
  EXPECT_EQ(PackPlain(testdata::Text("abc")), Bytes({3, 0, 0, 0, 0x61, 0x62, 0x63}));
  // Reading consumes exactly the record, nothing after it.
  auto rec = Bytes({0, 0, 0, 0, 0x77});
  MemoryReader in(rec.data(), rec.size());
  VectorWriter out;
  DecodePlain(in, out);
  EXPECT_TRUE(out.Data().empty());
  EXPECT_EQ(in.Remaining(), 1u);

  auto big = testdata::Random(100000);
  auto prec = PackPlain(big);
  MemoryReader pin(prec.data(), prec.size());
  VectorWriter pout;
  DecodePlain(pin, pout);
  EXPECT_EQ(pout.Data(), big);
  MemoryReader cut(prec.data(), prec.size() - 1);
  EXPECT_THROW(DecodePlain(cut, pout), EStoredFile);
}

TEST_F(Record, ForeignSignatureIsWrongFileType) {
  auto rec = Pack(testdata::Text("abc"));
  rec[5] = '1';
  EXPECT_EQ(UnpackError(rec), "Wrong file type");
  EXPECT_EQ(UnpackError(testdata::Text("MZ")), "Wrong file type");
}

TEST_F(Record, CutRecordsFailAtEveryLength) {
  auto rec = Pack(testdata::Prose(40000));
  for (size_t n = 0; n < rec.size(); n += (n < 20 ? 1 : 997)) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> cut(rec.begin(), rec.begin() + n);
    EXPECT_NE(UnpackError(cut).find("truncated"), std::string::npos);
  }
}

TEST_F(Record, InconsistentRecordsAreReported) {
  auto rec = Pack(testdata::Prose(1000));
  auto bad = rec;
  bad[10] = 0;  // block length 0
  bad[11] = bad[12] = bad[13] = 0;
  EXPECT_NE(UnpackError(bad).find("damaged"), std::string::npos);

  bad = rec;  // a total that claims less than the block needs
  bad[6] = 5;
  bad[7] = bad[8] = bad[9] = 0;
  EXPECT_NE(UnpackError(bad).find("damaged"), std::string::npos);

  bad = rec;  // negative total
  bad[9] = 0x80;
  EXPECT_NE(UnpackError(bad).find("damaged"), std::string::npos);

  bad = Bytes({0x50, 0x4D, 0x43, 0x53, 0x31, 0x30, 9, 0, 0, 0, 5, 0, 0, 0, 0x40, 0x80, 0, 0x00,
               0x10});  // copy before the start
  EXPECT_NE(UnpackError(bad).find("damaged"), std::string::npos);
}

}  // namespace
