// The stored-file record: how whole files are framed into codec blocks.
// Writer and reader share this header. Portable.
//
// Compressed form, all integers 32-bit signed little-endian:
//   offset 0   6 bytes  signature "PMCS10", no terminator
//   offset 6   4 bytes  total: bytes that follow, sum of (4 + block length)
//   offset 10  4 bytes  length L of the first encoded block, 1..32,784
//   offset 14  L bytes  the encoded block (flag 0x40 or 0x80 first)
//   ...                 further length/block pairs until total is used up
// Each block holds the next 32,783 bytes of the file (fewer in the last).
// There is no decoded size, checksum or end marker.
//
// Plain form: a 32-bit count N, then the N bytes of the file. Nothing in a
// record says which form it is; the reader is told.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "filestore/byte_stream.hpp"
#include "filestore/lzrw1kh.hpp"

namespace filestore {

// A record that cannot be read back: wrong signature, cut short, damaged.
class EStoredFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr char kSignature[6] = {'P', 'M', 'C', 'S', '1', '0'};
constexpr uint32_t kRecordHeaderSize = 10;

class TCompressStream {
 public:
  TCompressStream();

  // Writes one compressed record of the next count bytes of source. Stops
  // early if source ends. dest must allow seeking back to patch the total.
  void Encode(ByteReader& source, ByteWriter& dest, uint64_t count);

  // Reads one compressed record from source and writes the file to dest.
  // Throws EStoredFile: "Wrong file type" for a foreign signature, and a
  // message saying so for a cut or inconsistent record. What was decoded
  // before the fault has already been written to dest.
  void Decode(ByteReader& source, ByteWriter& dest);

 private:
  char signature_[6];
  // Fixed per-block buffers, reused for every block.
  std::vector<uint8_t> in_;
  std::vector<uint8_t> out_;
};

// Plain form: count, then the bytes. Throws EStoredFile when cut short or when
// the file does not fit a 32-bit signed count.
void EncodePlain(ByteReader& source, ByteWriter& dest, uint64_t count);
void DecodePlain(ByteReader& source, ByteWriter& dest);

}  // namespace filestore
