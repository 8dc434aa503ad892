// LZRW1-KH block codec: 12-bit distances, 4-bit lengths, a run escape and a
// stored fallback. Portable; never includes <windows.h>.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace filestore {

// Largest input of one block (32,768 + 15).
constexpr uint32_t kMaxBlockSize = 32783;
// Largest encoded block: a stored full block.
constexpr uint32_t kMaxEncodedSize = kMaxBlockSize + 1;
// Working space CompressBlock may touch past the input size.
constexpr uint32_t kCompressSlack = 6;

constexpr uint8_t kFlagStored = 0x80;
constexpr uint8_t kFlagCompressed = 0x40;

// Raised when the match table cannot be had.
class ELzrw1KHCompressor : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The encoder's match table, owned by whoever encodes; its contents matter
// only within one call. Throws ELzrw1KHCompressor when memory is short.
class TMatchTable {
 public:
  TMatchTable();
  int16_t* Data() { return table_.get(); }

 private:
  std::unique_ptr<int16_t[]> table_;
};

// Encodes sourceSize (0..kMaxBlockSize) bytes of source into dest, which must
// offer sourceSize + kCompressSlack bytes. Returns the encoded size, never
// more than sourceSize + 1. One table serves one call at a time.
uint16_t CompressBlock(TMatchTable& table, const uint8_t* source, uint8_t* dest,
                       uint32_t sourceSize);

// Decodes one encoded block of sourceSize bytes into dest, which offers
// destCapacity bytes. Returns the decoded size, or -1 when the block is
// inconsistent: an item cut off by the end of the block, a copy reaching
// before the start of the output, or output beyond destCapacity. It never
// reads outside source[0..sourceSize) nor writes outside dest[0..destCapacity);
// bytes of dest past the decoded size may be overwritten, and on failure part
// of dest may have been written.
int32_t DecompressBlock(const uint8_t* source, uint8_t* dest, uint32_t sourceSize,
                        uint32_t destCapacity = kMaxBlockSize);

}  // namespace filestore
