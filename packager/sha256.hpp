// SHA-256 of bytes and of files, for installer hashes in manifests. Portable
// (no crypto library: the tool builds for Windows with MinGW as well).
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

 private:
  void Block(const uint8_t* p);

  uint32_t h_[8];
  uint8_t buffer_[64];
  size_t used_ = 0;      // bytes waiting in buffer_
  uint64_t length_ = 0;  // message length in bytes
};

// Upper-case hex digest of bytes.
std::string Sha256Hex(const std::string& bytes);
// Upper-case hex digest of a file's contents, as manifests want it. Throws
// std::runtime_error naming the file when it cannot be read.
std::string Sha256HexOfFile(const std::string& path);
