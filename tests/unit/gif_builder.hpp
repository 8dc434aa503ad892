// Builds small GIF files byte by byte for decoder tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gifbuild {

inline void U16(std::string& s, int v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

// Header and logical screen with a global table of 2^bits grey entries.
inline std::string Header(int w, int h, int bits = 2) {
  std::string s = "GIF89a";
  U16(s, w);
  U16(s, h);
  s += static_cast<char>(bits ? 0x80 | (bits - 1) : 0);
  s += '\0';
  s += '\0';
  for (int i = 0; i < (bits ? 1 << bits : 0); ++i) s += std::string(3, static_cast<char>(i * 16));
  return s;
}

inline std::string Control(int disposal, int delay, bool transparent, int index) {
  std::string s = "\x21\xF9\x04";
  s += static_cast<char>((disposal << 2) | (transparent ? 1 : 0));
  U16(s, delay);
  s += static_cast<char>(index);
  s += '\0';
  return s;
}

inline std::string Netscape(int loops) {
  std::string s = "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
  U16(s, loops);
  s += '\0';
  return s;
}

inline std::string Comment(const std::string& text) {
  std::string s = "\x21\xFE";
  s += static_cast<char>(text.size());
  s += text + '\0';
  return s;
}

// LZW data that sends a clear code before every pixel, so every code has
// the starting width; pixels in data order.
inline std::string Lzw(const std::vector<int>& pixels, int minCodeSize = 2) {
  const int clear = 1 << minCodeSize, width = minCodeSize + 1;
  std::vector<uint8_t> bytes;
  uint32_t acc = 0;
  int nbits = 0;
  auto put = [&](int code) {
    acc |= static_cast<uint32_t>(code) << nbits;
    nbits += width;
    while (nbits >= 8) {
      bytes.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      nbits -= 8;
    }
  };
  for (int p : pixels) {
    put(clear);
    put(p);
  }
  put(clear + 1);
  if (nbits) bytes.push_back(static_cast<uint8_t>(acc));
  std::string s(1, static_cast<char>(minCodeSize));
  for (size_t i = 0; i < bytes.size(); i += 255) {
    const size_t n = std::min<size_t>(255, bytes.size() - i);
    s += static_cast<char>(n);
    s.append(reinterpret_cast<const char*>(bytes.data() + i), n);
  }
  s += '\0';
  return s;
}

inline std::string Image(int left, int top, int w, int h, const std::vector<int>& pixels,
                         bool interlaced = false, int minCodeSize = 2) {
  std::string s = "\x2C";
  U16(s, left);
  U16(s, top);
  U16(s, w);
  U16(s, h);
  s += static_cast<char>(interlaced ? 0x40 : 0);
  return s + Lzw(pixels, minCodeSize);
}

inline std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace gifbuild
