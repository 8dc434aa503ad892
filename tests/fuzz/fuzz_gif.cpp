// libFuzzer: the GIF parser and LZW decoder on arbitrary bytes.
#include "widgets/gif_decoder.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gif::TPicture pic;
  int reports = 0;
  gif::ParseGif(data, size, pic, [&](int32_t done, int32_t total, int32_t) {
    if (done > total) __builtin_trap();
    return ++reports < 100000;
  });
  for (const gif::TFrame& f : pic.Frames) {
    if (f.Pixels.size() != static_cast<size_t>(f.RowBytes()) * f.Height) __builtin_trap();
    if (f.Transparent && f.Mask.size() != static_cast<size_t>(f.MaskRowBytes()) * f.Height)
      __builtin_trap();
  }
  return 0;
}
