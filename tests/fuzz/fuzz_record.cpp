// libFuzzer: the stored-file record reader, both forms, on arbitrary bytes.
#include "filestore/compress_stream.hpp"

using namespace filestore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    MemoryReader in(data, size);
    VectorWriter out;
    TCompressStream().Decode(in, out);
  } catch (const EStoredFile&) {
  }
  try {
    MemoryReader in(data, size);
    VectorWriter out;
    DecodePlain(in, out);
  } catch (const EStoredFile&) {
  }
  return 0;
}
