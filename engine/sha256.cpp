// SHA-256 as FIPS 180-4 describes it.
#include "engine/sha256.hpp"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define SHA256_WITH_SHA_NI 1
#endif

namespace {

constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

}  // namespace

Sha256::Sha256()
    : h_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

#ifdef SHA256_WITH_SHA_NI
namespace {

// The processor's SHA extensions, where it has them: a setup file's parts
// are hashed before anything else happens, and this is several times
// faster than the rounds written out below.
bool HasShaExtensions() {
  static const bool has = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 29)) != 0;
  }();
  return has;
}

__attribute__((target("sha,sse4.1,ssse3"))) void BlockWithShaExtensions(uint32_t* h,
                                                                        const uint8_t* p) {
  const __m128i order = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  // The instructions keep the state as ABEF and CDGH.
  __m128i abcd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h));
  __m128i efgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4));
  abcd = _mm_shuffle_epi32(abcd, 0xB1);  // CDAB
  efgh = _mm_shuffle_epi32(efgh, 0x1B);  // HGFE
  __m128i abef = _mm_alignr_epi8(abcd, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);
  const __m128i abefStart = abef, cdghStart = cdgh;
  __m128i w[4];  // the last four groups of four message words
  for (int g = 0; g < 16; ++g) {
    __m128i words;
    if (g < 4) {
      words =
          _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * g)), order);
    } else {
      words = _mm_sha256msg1_epu32(w[g % 4], w[(g + 1) % 4]);
      words = _mm_add_epi32(words, _mm_alignr_epi8(w[(g + 3) % 4], w[(g + 2) % 4], 4));
      words = _mm_sha256msg2_epu32(words, w[(g + 3) % 4]);
    }
    w[g % 4] = words;
    __m128i k =
        _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * g)));
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, k);
    k = _mm_shuffle_epi32(k, 0x0E);
    abef = _mm_sha256rnds2_epu32(abef, cdgh, k);
  }
  abef = _mm_add_epi32(abef, abefStart);
  cdgh = _mm_add_epi32(cdgh, cdghStart);
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  cdgh = _mm_shuffle_epi32(cdgh, 0xB1);  // DCHG
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_blend_epi16(feba, cdgh, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), _mm_alignr_epi8(cdgh, feba, 8));
}

}  // namespace
#endif

void Sha256::Block(const uint8_t* p) {
#ifdef SHA256_WITH_SHA_NI
  if (UseProcessorExtensions && HasShaExtensions()) return BlockWithShaExtensions(h_, p);
#endif
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = uint32_t{p[4 * i]} << 24 | uint32_t{p[4 * i + 1]} << 16 | uint32_t{p[4 * i + 2]} << 8 |
           p[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    const uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4], f = h_[5], g = h_[6], h = h_[7];
  for (int i = 0; i < 64; ++i) {
    const uint32_t t1 =
        h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  h_[0] += a, h_[1] += b, h_[2] += c, h_[3] += d;
  h_[4] += e, h_[5] += f, h_[6] += g, h_[7] += h;
}

void Sha256::Update(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  length_ += size;
  while (size > 0) {
    if (used_ == 0 && size >= 64) {  // whole blocks straight from the input
      Block(p);
      p += 64;
      size -= 64;
      continue;
    }
    const size_t n = std::min(size, 64 - used_);
    std::memcpy(buffer_ + used_, p, n);
    used_ += n;
    p += n;
    size -= n;
    if (used_ == 64) {
      Block(buffer_);
      used_ = 0;
    }
  }
}

std::array<uint8_t, 32> Sha256::Final() {
  const uint64_t bits = length_ * 8;
  // One 0x80 byte, zeros up to 56 mod 64, then the bit length big-endian.
  uint8_t pad[72] = {0x80};
  const size_t padLen = (used_ < 56 ? 56 : 120) - used_;
  for (int i = 0; i < 8; ++i) pad[padLen + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(pad, padLen + 8);
  std::array<uint8_t, 32> digest;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(h_[i] >> (24 - 8 * j));
  return digest;
}

std::string Sha256Hex(const std::string& bytes) {
  Sha256 sha;
  sha.Update(bytes.data(), bytes.size());
  return HexDigest(sha.Final());
}

std::string HexDigest(const std::array<uint8_t, 32>& digest) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (uint8_t b : digest) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}
