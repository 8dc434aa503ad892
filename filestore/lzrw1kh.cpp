// LZRW1-KH block codec.
#include "filestore/lzrw1kh.hpp"

#include <cstdlib>
#include <cstring>

namespace filestore {
namespace {

constexpr int kTableSize = 4096;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 18;
constexpr uint32_t kMinRun = 16;
constexpr uint32_t kMaxRun = 4095;

// One table for the process; its contents matter only within one call.
int16_t* g_table = nullptr;

inline uint32_t HashAt(const uint8_t* s, uint32_t x, uint32_t n) {
  // The last two positions of a block read past its end; zero stands in.
  uint32_t b0 = s[x];
  uint32_t b1 = x + 1 < n ? s[x + 1] : 0;
  uint32_t b2 = x + 2 < n ? s[x + 2] : 0;
  uint32_t v = (((b0 << 4) ^ b1) << 4) ^ b2;
  return ((v * 40543u) >> 4) & 0x0FFF;
}

inline uint32_t RunLength(const uint8_t* s, uint32_t x, uint32_t n) {
  uint32_t len = 1;
  const uint8_t v = s[x];
  while (len < kMaxRun && x + len < n && s[x + len] == v) ++len;
  return len;
}

inline uint32_t MatchLength(const uint8_t* s, uint32_t x, uint32_t e, uint32_t n) {
  uint32_t limit = n - x < kMaxMatch ? n - x : kMaxMatch;
  uint32_t len = 0;
  while (len < limit && s[x + len] == s[e + len]) ++len;
  return len;
}

// Copies count bytes from distance back, byte by byte where they overlap.
inline void CopyBack(uint8_t* d, uint32_t y, uint32_t dist, uint32_t count,
                     uint32_t cap) {
  uint8_t* out = d + y;
  const uint8_t* from = out - dist;
  if (dist >= kMaxMatch && y + kMaxMatch <= cap) {
    std::memcpy(out, from, kMaxMatch);  // may write past count, inside cap
  } else if (dist >= count) {
    std::memcpy(out, from, count);
  } else {
    for (uint32_t i = 0; i < count; ++i) out[i] = from[i];
  }
}

}  // namespace

void InitLzrw1KH() {
  if (g_table) return;
  g_table = static_cast<int16_t*>(std::malloc(kTableSize * sizeof(int16_t)));
  if (!g_table) throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
}

void DoneLzrw1KH() {
  std::free(g_table);
  g_table = nullptr;
}

uint16_t CompressBlock(const uint8_t* source, uint8_t* dest, uint32_t sourceSize) {
  if (!g_table) throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
  const uint32_t n = sourceSize;
  std::memset(g_table, 0xFF, kTableSize * sizeof(int16_t));
  dest[0] = kFlagCompressed;
  uint32_t x = 0, y = 3, z = 1, bits = 0;
  uint32_t command = 0;
  while (x < n && y <= n) {
    if (bits > 15) {
      dest[z] = static_cast<uint8_t>(command >> 8);
      dest[z + 1] = static_cast<uint8_t>(command);
      z = y;
      y += 2;
      bits = 0;
    }
    const uint32_t run = RunLength(source, x, n);
    if (run >= kMinRun) {
      const uint32_t c = run - kMinRun;
      dest[y] = 0;
      dest[y + 1] = static_cast<uint8_t>(c >> 8);
      dest[y + 2] = static_cast<uint8_t>(c);
      dest[y + 3] = source[x];
      y += 4;
      x += run;
      command = (command << 1) | 1;
    } else {
      const uint32_t h = HashAt(source, x, n);
      const int32_t e = g_table[h];
      g_table[h] = static_cast<int16_t>(x);
      uint32_t len = 0;
      if (e != -1 && static_cast<int32_t>(x) - e < 4096)
        len = MatchLength(source, x, static_cast<uint32_t>(e), n);
      if (len >= kMinMatch) {
        const uint32_t k = (x - static_cast<uint32_t>(e)) * 16 + (len - kMinMatch);
        dest[y] = static_cast<uint8_t>(k >> 8);
        dest[y + 1] = static_cast<uint8_t>(k);
        y += 2;
        x += len;
        command = (command << 1) | 1;
      } else {
        dest[y++] = source[x++];
        command <<= 1;
      }
    }
    command &= 0xFFFF;
    ++bits;
  }
  command = (command << (16 - bits)) & 0xFFFF;
  dest[z] = static_cast<uint8_t>(command >> 8);
  dest[z + 1] = static_cast<uint8_t>(command);
  if (y > n) {
    dest[0] = kFlagStored;
    if (n) std::memcpy(dest + 1, source, n);
    return static_cast<uint16_t>(n + 1);
  }
  return static_cast<uint16_t>(y);
}

int32_t DecompressBlock(const uint8_t* source, uint8_t* dest, uint32_t sourceSize,
                        uint32_t destCapacity) {
  const uint32_t l = sourceSize;
  const uint32_t cap = destCapacity;
  if (l == 0) return -1;
  if (source[0] == kFlagStored) {
    if (l - 1 > cap) return -1;
    if (l > 1) std::memcpy(dest, source + 1, l - 1);
    return static_cast<int32_t>(l - 1);
  }
  if (l < 3) return -1;
  uint32_t x = 3, y = 0, bits = 16;
  uint32_t command = (uint32_t{source[1]} << 8) | source[2];
  while (x < l) {
    if (bits == 0) {
      if (l - x < 3) return -1;  // a control word needs an item after it
      command = (uint32_t{source[x]} << 8) | source[x + 1];
      x += 2;
      bits = 16;
    }
    if (!(command & 0x8000)) {
      if (y >= cap) return -1;
      dest[y++] = source[x++];
    } else {
      if (l - x < 2) return -1;
      const uint32_t b0 = source[x], b1 = source[x + 1];
      const uint32_t dist = (b0 << 4) | (b1 >> 4);
      if (dist == 0) {
        if (l - x < 4) return -1;
        const uint32_t count = ((b1 << 8) | source[x + 2]) + kMinRun;
        if (count > cap - y) return -1;
        std::memset(dest + y, source[x + 3], count);
        x += 4;
        y += count;
      } else {
        const uint32_t count = (b1 & 0x0F) + kMinMatch;
        if (dist > y || count > cap - y) return -1;
        CopyBack(dest, y, dist, count, cap);
        x += 2;
        y += count;
      }
    }
    command <<= 1;
    --bits;
  }
  return static_cast<int32_t>(y);
}

}  // namespace filestore
