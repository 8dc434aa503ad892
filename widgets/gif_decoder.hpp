// GIF stream parsing and LZW decoding into frames of palette indices with
// transparency masks. Portable; never reads outside the given bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gif {

constexpr int kMaxFrames = 256;
// Frames larger than this many pixels end the parse: a few header bytes must
// not make the decoder allocate gigabytes.
constexpr uint64_t kMaxFramePixels = 16u << 20;

struct TFrame {
  int ColorBits = 0;  // local table size as a power of two; 0 without one
  bool HasLocalColorTable = false;
  std::array<uint8_t, 768> ColorTable{};  // the local table, or the global one
  int Colors = 0;                         // palette entries the frame's bitmap is built with
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Delay = 0;  // milliseconds
  bool Interlaced = false;
  bool Transparent = false;
  uint8_t TransparentIndex = 0;
  uint8_t Disposal = 0;  // 0..3
  std::string Comment;
  // Pixel indices, top row first, rows of RowBytes() (Width rounded up to 4).
  std::vector<uint8_t> Pixels;
  // When Transparent: one bit per pixel, set where transparent, leftmost
  // pixel in bit 7, rows of MaskRowBytes().
  std::vector<uint8_t> Mask;

  int RowBytes() const { return (Width + 3) & ~3; }
  int MaskRowBytes() const { return (Width + 31) / 32 * 4; }
  uint8_t Pixel(int x, int y) const { return Pixels[static_cast<size_t>(y) * RowBytes() + x]; }
  bool IsTransparentAt(int x, int y) const {
    return Transparent &&
           (Mask[static_cast<size_t>(y) * MaskRowBytes() + x / 8] & (0x80 >> (x % 8)));
  }
};

struct TPicture {
  int ScreenWidth = 0, ScreenHeight = 0;  // enlarged by frames that stick out
  int LoopCount = 1;                      // passes to play; 0 for ever
  int GlobalColorBits = 0;
  std::array<uint8_t, 768> GlobalColorTable{};
  bool HasTransparency = false;
  std::vector<TFrame> Frames;
};

// Progress: bytes processed, bytes in all, percentage. Return false to cancel.
using ProgressFn = std::function<bool(int32_t processed, int32_t total, int32_t percent)>;

enum class ParseResult {
  Ok,         // parsed, possibly stopping early at damaged data; frames may be 0
  NotGif,     // empty, or not starting with "GIF"
  Cancelled,  // the progress handler said stop; the frames so far are kept
};

ParseResult ParseGif(const uint8_t* data, size_t size, TPicture& picture,
                     const ProgressFn& progress = nullptr);

}  // namespace gif
