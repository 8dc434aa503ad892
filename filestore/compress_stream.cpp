// Stored-file record encoder and decoder.
#include "filestore/compress_stream.hpp"

#include <cstring>
#include <string>

namespace filestore {
namespace {

void PutInt32(ByteWriter& out, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                  static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
  out.Write(b, 4);
}

int32_t GetInt32(ByteReader& in, const char* what) {
  uint8_t b[4];
  if (!ReadFull(in, b, 4))
    throw EStoredFile(std::string("Stored file record is truncated (") + what + ")");
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                              uint32_t{b[3]} << 24);
}

[[noreturn]] void Damaged(const std::string& what) {
  throw EStoredFile("Stored file record is damaged (" + what + ")");
}

}  // namespace

TCompressStream::TCompressStream()
    : in_(kMaxEncodedSize + kCompressSlack), out_(kMaxEncodedSize + kCompressSlack) {
  std::memcpy(signature_, kSignature, sizeof signature_);
}

void TCompressStream::Encode(ByteReader& source, ByteWriter& dest, uint64_t count) {
  dest.Write(signature_, sizeof signature_);
  const uint64_t totalPos = dest.Position();
  PutInt32(dest, 0);
  uint64_t total = 0;
  TMatchTable matches;
  while (count > 0) {
    const size_t n = source.Read(in_.data(), kMaxBlockSize < count ? kMaxBlockSize : count);
    if (n == 0) break;
    const uint16_t len = CompressBlock(matches, in_.data(), out_.data(), static_cast<uint32_t>(n));
    PutInt32(dest, len);
    dest.Write(out_.data(), len);
    total += uint64_t{len} + 4;
    if (total > INT32_MAX) throw EStoredFile("File too large to store");
    count -= n;
  }
  const uint64_t endPos = dest.Position();
  dest.Seek(totalPos);
  PutInt32(dest, static_cast<int32_t>(total));
  dest.Seek(endPos);
}

void TCompressStream::Decode(ByteReader& source, ByteWriter& dest) {
  char sig[sizeof signature_];
  const size_t got = source.Read(sig, sizeof sig);
  size_t have = got;
  while (have < sizeof sig) {
    if (std::memcmp(sig, signature_, have) != 0) break;
    const size_t n = source.Read(sig + have, sizeof sig - have);
    if (n == 0) break;
    have += n;
  }
  if (std::memcmp(sig, signature_, have) != 0) throw EStoredFile("Wrong file type");
  if (have < sizeof sig) throw EStoredFile("Stored file record is truncated (signature)");

  int32_t total = GetInt32(source, "total");
  if (total < 0) Damaged("negative total");
  while (total > 0) {
    const int32_t len = GetInt32(source, "block length");
    if (len < 1 || static_cast<uint32_t>(len) > kMaxEncodedSize)
      Damaged("block length " + std::to_string(len));
    if (len > total - 4) Damaged("block longer than the record");
    if (!ReadFull(source, in_.data(), static_cast<size_t>(len)))
      throw EStoredFile("Stored file record is truncated (block)");
    const int32_t n =
        DecompressBlock(in_.data(), out_.data(), static_cast<uint32_t>(len), kMaxBlockSize);
    if (n < 0) Damaged("inconsistent block");
    dest.Write(out_.data(), static_cast<size_t>(n));
    total -= len + 4;
  }
}

void EncodePlain(ByteReader& source, ByteWriter& dest, uint64_t count) {
  if (count > INT32_MAX) throw EStoredFile("File too large to store");
  PutInt32(dest, static_cast<int32_t>(count));
  uint8_t buf[32768];
  while (count > 0) {
    const size_t want = count < sizeof buf ? static_cast<size_t>(count) : sizeof buf;
    if (!ReadFull(source, buf, want)) throw EStoredFile("File ended while being stored");
    dest.Write(buf, want);
    count -= want;
  }
}

void DecodePlain(ByteReader& source, ByteWriter& dest) {
  int32_t count = GetInt32(source, "count");
  if (count < 0) Damaged("negative count");
  uint8_t buf[32768];
  while (count > 0) {
    const size_t want = static_cast<size_t>(count) < sizeof buf ? count : sizeof buf;
    if (!ReadFull(source, buf, want)) throw EStoredFile("Stored file record is truncated (data)");
    dest.Write(buf, want);
    count -= static_cast<int32_t>(want);
  }
}

}  // namespace filestore
