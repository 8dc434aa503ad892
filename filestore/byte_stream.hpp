// Minimal byte streams for the stored-file record: readers, writers that can
// seek back, and in-memory and C-file implementations. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace filestore {

class ByteReader {
 public:
  virtual ~ByteReader() = default;
  // Reads up to size bytes; returns how many were read (0 at the end).
  virtual size_t Read(void* buf, size_t size) = 0;
};

class ByteWriter {
 public:
  virtual ~ByteWriter() = default;
  // Writes all bytes or throws.
  virtual void Write(const void* buf, size_t size) = 0;
  virtual uint64_t Position() = 0;
  virtual void Seek(uint64_t pos) = 0;
};

class MemoryReader : public ByteReader {
 public:
  MemoryReader(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t Read(void* buf, size_t size) override;
  size_t Remaining() const { return size_ - pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class VectorWriter : public ByteWriter {
 public:
  void Write(const void* buf, size_t size) override;
  uint64_t Position() override { return pos_; }
  void Seek(uint64_t pos) override;
  const std::vector<uint8_t>& Data() const { return data_; }

 private:
  std::vector<uint8_t> data_;
  size_t pos_ = 0;
};

// Over a C stream the caller opened; errors throw std::runtime_error.
class StdioReader : public ByteReader {
 public:
  explicit StdioReader(std::FILE* f) : f_(f) {}
  size_t Read(void* buf, size_t size) override;

 private:
  std::FILE* f_;
};

class StdioWriter : public ByteWriter {
 public:
  explicit StdioWriter(std::FILE* f) : f_(f) {}
  void Write(const void* buf, size_t size) override;
  uint64_t Position() override;
  void Seek(uint64_t pos) override;

 private:
  std::FILE* f_;
};

// Reads exactly size bytes; false when the stream ends first.
bool ReadFull(ByteReader& in, void* buf, size_t size);

}  // namespace filestore
