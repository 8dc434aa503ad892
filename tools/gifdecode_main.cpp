// gifdecode FILE: prints what the GIF decoder sees, for checks against other
// decoders: the screen, loop count and frames, then each frame's fields and
// its pixel indices row by row (top row first, de-interlaced) in hexadecimal.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "widgets/gif_decoder.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gifdecode FILE\n");
    return 2;
  }
  std::ifstream f(argv[1], std::ios::binary);
  if (!f) {
    std::fprintf(stderr, "gifdecode: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::vector<uint8_t> data(std::istreambuf_iterator<char>(f), {});
  gif::TPicture pic;
  if (gif::ParseGif(data.data(), data.size(), pic) == gif::ParseResult::NotGif) {
    std::fprintf(stderr, "gifdecode: %s is not a GIF file\n", argv[1]);
    return 1;
  }
  std::printf("screen %d %d\nloop %d\nframes %zu\n", pic.ScreenWidth, pic.ScreenHeight,
              pic.LoopCount, pic.Frames.size());
  for (size_t i = 0; i < pic.Frames.size(); ++i) {
    const gif::TFrame& fr = pic.Frames[i];
    std::printf(
        "frame %zu left %d top %d width %d height %d delay %d disposal %d transparent %d index "
        "%d\n",
        i + 1, fr.Left, fr.Top, fr.Width, fr.Height, fr.Delay, fr.Disposal, fr.Transparent ? 1 : 0,
        fr.TransparentIndex);
    for (int y = 0; y < fr.Height; ++y) {
      for (int x = 0; x < fr.Width; ++x) std::printf("%02x", fr.Pixel(x, y));
      std::printf("\n");
    }
  }
  return 0;
}
