// Byte stream implementations.
#include "filestore/byte_stream.hpp"

#include <cstring>
#include <stdexcept>

namespace filestore {

size_t MemoryReader::Read(void* buf, size_t size) {
  size_t n = size < Remaining() ? size : Remaining();
  if (n) std::memcpy(buf, data_ + pos_, n);
  pos_ += n;
  return n;
}

void VectorWriter::Write(const void* buf, size_t size) {
  if (pos_ + size > data_.size()) data_.resize(pos_ + size);
  if (size) std::memcpy(data_.data() + pos_, buf, size);
  pos_ += size;
}

void VectorWriter::Seek(uint64_t pos) {
  if (pos > data_.size()) throw std::runtime_error("seek past the end");
  pos_ = static_cast<size_t>(pos);
}

size_t StdioReader::Read(void* buf, size_t size) {
  size_t n = std::fread(buf, 1, size, f_);
  if (n < size && std::ferror(f_)) throw std::runtime_error("read error");
  return n;
}

void StdioWriter::Write(const void* buf, size_t size) {
  if (std::fwrite(buf, 1, size, f_) != size) throw std::runtime_error("write error");
}

uint64_t StdioWriter::Position() {
  long p = std::ftell(f_);
  if (p < 0) throw std::runtime_error("cannot tell position");
  return static_cast<uint64_t>(p);
}

void StdioWriter::Seek(uint64_t pos) {
  if (std::fseek(f_, static_cast<long>(pos), SEEK_SET) != 0)
    throw std::runtime_error("cannot seek");
}

bool ReadFull(ByteReader& in, void* buf, size_t size) {
  auto* p = static_cast<uint8_t*>(buf);
  while (size) {
    size_t n = in.Read(p, size);
    if (n == 0) return false;
    p += n;
    size -= n;
  }
  return true;
}

}  // namespace filestore
