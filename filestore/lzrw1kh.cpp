// LZRW1-KH block codec.
#include "filestore/lzrw1kh.hpp"

#include <cstring>
#include <new>

namespace filestore {
namespace {

constexpr int kTableSize = 4096;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 18;
constexpr uint32_t kMinRun = 16;
constexpr uint32_t kMaxRun = 4095;

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

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

inline uint32_t MatchLength(const uint8_t* s, uint32_t x, uint32_t e, uint32_t n) {
  const uint32_t limit = n - x < kMaxMatch ? n - x : kMaxMatch;
  uint32_t len = 0;
  // Eight bytes at a time while both stay inside the block (e < x).
  while (len + 8 <= limit) {
    const uint64_t diff = Load64(s + x + len) ^ Load64(s + e + len);
    if (diff) return len + static_cast<uint32_t>(__builtin_ctzll(diff) >> 3);
    len += 8;
  }
  while (len < limit && s[x + len] == s[e + len]) ++len;
  return len;
}

// The fast paths of the decoder move this many bytes at once, so they run
// only with that much room left in input and output.
constexpr uint32_t kCopySlack = 24;

// Copies count bytes from dist back one at a time, as the format defines it
// where source and target overlap.
inline void CopyBack(uint8_t* out, uint32_t dist, uint32_t count) {
  const uint8_t* from = out - dist;
  if (dist == 1) {
    std::memset(out, from[0], count);
  } else {
    for (uint32_t i = 0; i < count; ++i) out[i] = from[i];
  }
}

// Moves 24 bytes from `from` to `out` in 8-byte steps, each reading only
// bytes already written when `from` lies at least 8 bytes before `out`.
inline void Move24(uint8_t* out, const uint8_t* from) {
  uint64_t v = Load64(from);
  std::memcpy(out, &v, 8);
  v = Load64(from + 8);
  std::memcpy(out + 8, &v, 8);
  v = Load64(from + 16);
  std::memcpy(out + 16, &v, 8);
}

inline uint32_t LeadingZeros16(uint32_t v) {
  v &= 0xFFFF;
  return v ? static_cast<uint32_t>(__builtin_clz(v)) - 16 : 16;
}

}  // namespace

TMatchTable::TMatchTable() : table_(new (std::nothrow) int16_t[kTableSize]) {
  if (!table_) throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
}

uint16_t CompressBlock(TMatchTable& table, const uint8_t* source, uint8_t* dest,
                       uint32_t sourceSize) {
  int16_t* const matches = table.Data();
  const uint32_t n = sourceSize;
  std::memset(matches, 0xFF, kTableSize * sizeof(int16_t));
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
      const int32_t e = matches[h];
      matches[h] = static_cast<int16_t>(x);
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
    if (l - x >= kCopySlack && cap - y >= kCopySlack) {
      // Room for any literal stretch or copy item without further checks.
      if (!(command & 0x8000)) {
        // As many literals as the control word has in a row, at once.
        uint32_t k = LeadingZeros16(command);
        if (k > bits) k = bits;
        std::memcpy(dest + y, source + x, 16);
        x += k;
        y += k;
        command <<= k;
        bits -= k;
        continue;
      }
      const uint32_t b1 = source[x + 1];
      const uint32_t dist = (uint32_t{source[x]} << 4) | (b1 >> 4);
      if (dist >= 8) {
        if (dist > y) return -1;
        Move24(dest + y, dest + y - dist);
        x += 2;
        y += (b1 & 0x0F) + kMinMatch;
        command <<= 1;
        --bits;
        continue;
      }
    }
    if (!(command & 0x8000)) {
      if (y >= cap) return -1;
      dest[y++] = source[x++];
      command <<= 1;
      --bits;
      continue;
    }
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
      CopyBack(dest + y, dist, count);
      x += 2;
      y += count;
    }
    command <<= 1;
    --bits;
  }
  return static_cast<int32_t>(y);
}

}  // namespace filestore
