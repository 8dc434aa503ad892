// SHA-256, for installer hashes in manifests and the parts a single-file
// package carries. Portable (no crypto library: setup.exe and qpack build
// with MinGW as well).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  // Ends the message; the object must not be updated afterwards.
  std::array<uint8_t, 32> Final();
  // False takes the portable rounds even where the processor has SHA
  // extensions (for the tests, which compare the two).
  static inline bool UseProcessorExtensions = true;

 private:
  void Block(const uint8_t* p);

  uint32_t h_[8];
  uint8_t buffer_[64];
  size_t used_ = 0;      // bytes waiting in buffer_
  uint64_t length_ = 0;  // message length in bytes
};

// Upper-case hex, as manifests want it.
std::string HexDigest(const std::array<uint8_t, 32>& digest);
std::string Sha256Hex(const std::string& bytes);
