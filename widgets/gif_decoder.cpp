// GIF parsing and LZW decoding.
#include "widgets/gif_decoder.hpp"

#include <cstring>
#include <memory>

namespace gif {
namespace {

struct Reader {
  const uint8_t* p;
  size_t size;
  size_t pos;
  bool Has(size_t n) const { return size - pos >= n; }
  uint16_t U16(size_t at) const { return static_cast<uint16_t>(p[at] | p[at + 1] << 8); }
};

// Moves past sub-blocks up to and including the zero-length terminator.
// False when the data ends first (the position is then at the end).
bool SkipSubBlocks(Reader& r) {
  while (r.Has(1)) {
    const uint8_t n = r.p[r.pos++];
    if (n == 0) return true;
    if (!r.Has(n)) break;
    r.pos += n;
  }
  r.pos = r.size;
  return false;
}

// Rows in the order the data fills them: straight, or the four interlace
// passes (0, 4, 2, 1 stepping 8, 8, 4, 2).
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
  return rows;
}

struct RowReporter {
  const ProgressFn* progress;
  const Reader* reader;
  const std::vector<int>* rows;
  int width;
  int every;
  size_t nextRowEnd;
  size_t rowsDone;
  bool cancelled;

  // Reports at the end of each row whose number is a multiple of `every`.
  void Advance(size_t written) {
    while (!cancelled && rowsDone < rows->size() && written >= nextRowEnd) {
      const int row = (*rows)[rowsDone++];
      nextRowEnd += static_cast<size_t>(width);
      if (row % every) continue;
      const int32_t done = static_cast<int32_t>(reader->pos),
                    total = static_cast<int32_t>(reader->size);
      const int32_t pct =
          total ? static_cast<int32_t>((int64_t{done} * 100 + total / 2) / total) : 0;
      if (!(*progress)(done, total, pct)) cancelled = true;
    }
  }
};

// Decodes one image's LZW data into `out` (total pixels, in data order).
// Returns how many pixels were written; sets `ended` when the data ran out.
size_t DecodeLzw(Reader& r, uint8_t* out, size_t total, bool& ended, RowReporter* report) {
  ended = false;
  if (!r.Has(1)) {
    ended = true;
    return 0;
  }
  const int s = r.p[r.pos++];
  if (s > 11) {  // no room for such codes in a 4096-entry table
    ended = !SkipSubBlocks(r);
    return 0;
  }
  const int clear = 1 << s, eoi = clear + 1;
  int width = s + 1, next = clear + 2;
  // Each table entry is a string already in the output: where, how long.
  auto start = std::make_unique<uint32_t[]>(4096);
  auto length = std::make_unique<uint16_t[]>(4096);
  bool havePrev = false;
  size_t prevStart = 0, prevLen = 0;
  size_t o = 0;

  uint32_t acc = 0;
  int nbits = 0;
  size_t blockLeft = 0;
  bool blocksDone = false;  // the zero-length terminator was read
  for (;;) {
    while (nbits < width) {
      while (blockLeft == 0 && !blocksDone) {
        if (!r.Has(1)) {
          ended = true;
          return o;
        }
        blockLeft = r.p[r.pos++];
        if (blockLeft == 0) blocksDone = true;
      }
      if (blocksDone) return o;  // bits ran out at the terminator
      if (!r.Has(1)) {
        ended = true;
        return o;
      }
      acc |= uint32_t{r.p[r.pos++]} << nbits;
      nbits += 8;
      --blockLeft;
    }
    const int code = static_cast<int>(acc & ((1u << width) - 1));
    acc >>= width;
    nbits -= width;

    if (code == clear) {
      width = s + 1;
      next = clear + 2;
      havePrev = false;
      continue;
    }
    if (code == eoi) {
      if (!blocksDone) {
        if (!r.Has(blockLeft)) {
          r.pos = r.size;
          ended = true;
          return o;
        }
        r.pos += blockLeft;
        ended = !SkipSubBlocks(r);
      }
      return o;
    }
    if (o >= total) continue;  // the image is full: codes are read and dropped

    const size_t at = o;
    size_t len;
    if (!havePrev || code < clear) {
      // After a clear, and for single-pixel codes: the code is the pixel.
      out[o] = static_cast<uint8_t>(code);
      len = 1;
    } else if (code < next) {
      len = length[code];
      const size_t n = len < total - o ? len : total - o;
      std::memcpy(out + o, out + start[code], n);
    } else {
      // Not yet in the table: the previous string and its first pixel.
      len = prevLen + 1;
      const size_t n = prevLen < total - o ? prevLen : total - o;
      std::memcpy(out + o, out + prevStart, n);
      if (prevLen < total - o) out[o + prevLen] = out[prevStart];
    }
    if (havePrev && next < 4096) {
      start[next] = static_cast<uint32_t>(prevStart);
      length[next] = static_cast<uint16_t>(prevLen + 1);
      if (++next >= (1 << width) && width < 12) ++width;
    }
    havePrev = true;
    prevStart = at;
    prevLen = len;
    o = len < total - o ? o + len : total;
    if (report) {
      report->Advance(o);
      if (report->cancelled) return o;
    }
  }
}

struct Parser {
  Parser(Reader reader, TPicture& picture, const ProgressFn& fn)
      : r(reader), pic(picture), progress(fn) {}
  Reader r;
  TPicture& pic;
  const ProgressFn& progress;
  uint8_t control[6] = {};
  std::string comment;
  bool cancelled = false;
  uint64_t pixelsSoFar = 0;

  void Report() {
    if (!progress || cancelled) return;
    const int32_t done = static_cast<int32_t>(r.pos), total = static_cast<int32_t>(r.size);
    const int32_t pct = total ? static_cast<int32_t>((int64_t{done} * 100 + total / 2) / total) : 0;
    if (!progress(done, total, pct)) cancelled = true;
  }

  // One extension; false when the parse must end here.
  bool Extension() {
    if (!r.Has(2)) return false;
    const uint8_t label = r.p[r.pos + 1];
    switch (label) {
      case 0xF9:  // graphic control: always 8 bytes from the introducer
        if (!r.Has(8)) return false;
        std::memcpy(control, r.p + r.pos + 2, 6);
        r.pos += 8;
        return true;
      case 0xFE: {  // comment: replaces what was pending
        r.pos += 2;
        std::string text;
        while (r.Has(1)) {
          const uint8_t n = r.p[r.pos++];
          if (n == 0) {
            comment = text;
            return true;
          }
          if (!r.Has(n)) break;
          text.append(reinterpret_cast<const char*>(r.p + r.pos), n);
          r.pos += n;
        }
        r.pos = r.size;
        return false;
      }
      case 0xFF:
        if (r.Has(19) && std::memcmp(r.p + r.pos + 3, "NETSCAPE2.0", 11) == 0) {
          pic.LoopCount = r.U16(r.pos + 16);
          r.pos += 19;
          return true;
        }
        [[fallthrough]];
      case 0x01: {  // skipped: first block, then sub-blocks to the terminator
        r.pos += 2;
        if (!r.Has(1)) return false;
        const uint8_t n = r.p[r.pos++];
        if (!r.Has(n)) return false;
        r.pos += n;
        return SkipSubBlocks(r);
      }
      default:
        return false;
    }
  }

  // One image; false when the parse must end here.
  bool Image() {
    if (!r.Has(10)) return false;
    TFrame f;
    f.Left = r.U16(r.pos + 1);
    f.Top = r.U16(r.pos + 3);
    f.Width = r.U16(r.pos + 5);
    f.Height = r.U16(r.pos + 7);
    const uint8_t packed = r.p[r.pos + 9];
    r.pos += 10;
    if (packed & 0x80) {
      f.HasLocalColorTable = true;
      f.ColorBits = (packed & 7) + 1;
      const size_t bytes = 3u << f.ColorBits;
      if (!r.Has(bytes)) return false;
      std::memcpy(f.ColorTable.data(), r.p + r.pos, bytes);
      r.pos += bytes;
    } else {
      f.ColorTable = pic.GlobalColorTable;
    }
    f.Colors = 1 << (f.HasLocalColorTable ? f.ColorBits : pic.GlobalColorBits);
    f.Interlaced = packed & 0x40;
    const int disposal = (control[1] >> 2) & 7;
    f.Disposal = static_cast<uint8_t>(disposal <= 1 || disposal == 3 ? disposal : 2);
    f.Delay = 10 * (control[2] | control[3] << 8);
    f.Transparent = control[1] & 1;
    f.TransparentIndex = control[4];

    const uint64_t area = uint64_t(f.Width) * f.Height;
    pixelsSoFar += area;
    if (area > kMaxFramePixels || pixelsSoFar > 4 * kMaxFramePixels) return false;
    const size_t w = static_cast<size_t>(f.Width), h = static_cast<size_t>(f.Height);
    f.Pixels.assign(static_cast<size_t>(f.RowBytes()) * h, 0);
    if (f.Transparent) f.Mask.assign(static_cast<size_t>(f.MaskRowBytes()) * h, 0);

    std::vector<uint8_t> linear(w * h);
    const std::vector<int> rows = RowOrder(f.Height, f.Interlaced);
    RowReporter reporter{&progress, &r, &rows, f.Width, f.Width <= 320 ? 64 : 32, w, 0, false};
    const bool reportRows = progress && area > 100000;
    bool ended = false;
    const size_t written =
        DecodeLzw(r, linear.data(), linear.size(), ended, reportRows ? &reporter : nullptr);
    if (reporter.cancelled) cancelled = true;

    for (size_t k = 0; k < h && w; ++k) {
      const size_t y = static_cast<size_t>(rows[k]);
      std::memcpy(f.Pixels.data() + y * f.RowBytes(), linear.data() + k * w, w);
      if (!f.Transparent) continue;
      const size_t limit = written > k * w ? std::min(w, written - k * w) : 0;
      uint8_t* mask = f.Mask.data() + y * f.MaskRowBytes();
      for (size_t x = 0; x < limit; ++x)
        if (linear[k * w + x] == f.TransparentIndex)
          mask[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    pic.GlobalColorBits = std::max(pic.GlobalColorBits, f.ColorBits);
    pic.HasTransparency = pic.HasTransparency || f.Transparent;
    f.Comment = comment;
    comment.clear();
    std::memset(control, 0, sizeof control);
    pic.Frames.push_back(std::move(f));
    return !ended;
  }

  ParseResult Run() {
    if (r.size == 0 || !r.Has(3) || std::memcmp(r.p, "GIF", 3) != 0) return ParseResult::NotGif;
    if (!r.Has(13)) return Finish();
    const int width = r.U16(6), height = r.U16(8);
    const uint8_t packed = r.p[10];
    r.pos = 13;
    if (packed & 0x80) {
      pic.GlobalColorBits = (packed & 7) + 1;
      const size_t bytes = 3u << pic.GlobalColorBits;
      const size_t n = r.Has(bytes) ? bytes : r.size - r.pos;
      std::memcpy(pic.GlobalColorTable.data(), r.p + r.pos, n);
      r.pos += n;
    }
    pic.ScreenWidth = width;
    pic.ScreenHeight = height;
    for (;;) {
      Report();
      if (cancelled || !r.Has(1)) break;
      const size_t before = r.pos;
      const uint8_t b = r.p[r.pos];
      bool go;
      if (b == 0x21) {
        go = Extension();
      } else if (b == 0x2C) {
        go = static_cast<int>(pic.Frames.size()) < kMaxFrames && Image();
      } else if (b == 0x3B) {
        r.pos = r.size;
        go = false;
      } else {
        go = false;
      }
      if (!go || r.pos == before) break;
    }
    return Finish();
  }

  ParseResult Finish() {
    Report();
    for (const TFrame& f : pic.Frames) {
      pic.ScreenWidth = std::max(pic.ScreenWidth, f.Left + f.Width);
      pic.ScreenHeight = std::max(pic.ScreenHeight, f.Top + f.Height);
    }
    return cancelled ? ParseResult::Cancelled : ParseResult::Ok;
  }
};

}  // namespace

ParseResult ParseGif(const uint8_t* data, size_t size, TPicture& picture,
                     const ProgressFn& progress) {
  picture = TPicture{};
  Parser parser(Reader{data, size, 0}, picture, progress);
  return parser.Run();
}

}  // namespace gif
