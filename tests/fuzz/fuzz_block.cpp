// libFuzzer: the block decoder on arbitrary bytes, and encoder round trips.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "filestore/lzrw1kh.hpp"

using namespace filestore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TMatchTable table;
  // Exact-size heap buffers so that ASan sees any stray access.
  const uint32_t cap = size ? 1 + data[0] * 129u : kMaxBlockSize;
  auto in = std::make_unique<uint8_t[]>(size);
  if (size) std::memcpy(in.get(), data, size);
  auto out = std::make_unique<uint8_t[]>(cap);
  int32_t n = DecompressBlock(in.get(), out.get(), static_cast<uint32_t>(size), cap);
  if (n > static_cast<int32_t>(cap)) std::abort();

  if (size <= kMaxBlockSize) {
    auto enc = std::make_unique<uint8_t[]>(size + kCompressSlack);
    uint16_t len = CompressBlock(table, data, enc.get(), static_cast<uint32_t>(size));
    if (len > size + 1) std::abort();
    auto dec = std::make_unique<uint8_t[]>(kMaxBlockSize);
    if (DecompressBlock(enc.get(), dec.get(), len, kMaxBlockSize) != static_cast<int32_t>(size))
      std::abort();
    if (size && std::memcmp(dec.get(), data, size) != 0) std::abort();
  }
  return 0;
}
