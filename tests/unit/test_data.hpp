// Deterministic sample data for codec and record tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testdata {

inline std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
  return std::vector<uint8_t>(v.begin(), v.end());
}

inline std::vector<uint8_t> Text(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

// Small xorshift generator: the same bytes on every platform.
inline std::vector<uint8_t> Random(size_t n, uint32_t seed = 12345) {
  std::vector<uint8_t> v(n);
  uint32_t s = seed ? seed : 1;
  for (auto& b : v) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    b = static_cast<uint8_t>(s >> 24);
  }
  return v;
}

// English-like text: words from a small vocabulary.
inline std::vector<uint8_t> Prose(size_t n, uint32_t seed = 7) {
  static const char* words[] = {"setup ",    "the ",    "file ", "window ", "install ",
                                "program ",  "folder ", "a ",    "of ",     "registry\r\n",
                                "shortcut ", "and ",    "to ",   "log ",    "path "};
  auto r = Random(n, seed);
  std::vector<uint8_t> v;
  for (size_t i = 0; v.size() < n; ++i) {
    for (const char* c = words[r[i % n] % 15]; *c && v.size() < n; ++c) v.push_back(*c);
  }
  return v;
}

// Runs of varying length mixed with noise, like bitmaps and padded binaries.
inline std::vector<uint8_t> Runs(size_t n, uint32_t seed = 99) {
  auto r = Random(n + 1, seed);
  std::vector<uint8_t> v;
  for (size_t i = 0; v.size() < n; ++i) {
    size_t len = (r[i % n] % 4 == 0) ? r[(i + 1) % n] * 20u : r[(i + 1) % n] % 6u;
    uint8_t b = r[(i + 2) % n] % 3 == 0 ? 0 : r[(i + 3) % n];
    for (size_t k = 0; k <= len && v.size() < n; ++k) v.push_back(b);
  }
  return v;
}

// Structured binary: records with small counters and repeated headers.
inline std::vector<uint8_t> Binary(size_t n) {
  std::vector<uint8_t> v;
  for (uint32_t i = 0; v.size() < n; ++i) {
    const uint8_t rec[] = {0x4D,
                           0x5A,
                           static_cast<uint8_t>(i),
                           static_cast<uint8_t>(i >> 8),
                           0,
                           0,
                           0xFF,
                           0xFF,
                           static_cast<uint8_t>(i * 7),
                           0x90,
                           0x90,
                           0xC3};
    for (uint8_t b : rec)
      if (v.size() < n) v.push_back(b);
  }
  return v;
}

}  // namespace testdata
