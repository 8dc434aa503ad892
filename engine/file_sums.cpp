// The record of installed files.
#include "engine/file_sums.hpp"

#include <cctype>

#include "engine/text_codes.hpp"

void TFileSums::Set(const std::string& path, const TFileSum& sum) {
  byPath_[FoldCase(path)] = {path, sum};
}

const TFileSum* TFileSums::Find(const std::string& path) const {
  const auto it = byPath_.find(FoldCase(path));
  return it == byPath_.end() ? nullptr : &it->second.sum;
}

std::string TFileSums::FileBytes() const {
  std::string out;
  for (const auto& [key, e] : byPath_)
    out += std::to_string(e.sum.size) + " " + e.sum.sha256 + " " + e.path + "\r\n";
  return out;
}

TFileSums TFileSums::FromBytes(const std::string& bytes) {
  TFileSums sums;
  for (size_t pos = 0; pos < bytes.size();) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t a = line.find(' ');
    const size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
    if (b == std::string::npos || a == 0 || a > 20 || b - a - 1 != 64 || b + 1 >= line.size())
      continue;
    TFileSum sum;
    bool digits = true;
    for (size_t i = 0; i < a; ++i) {
      digits = digits && std::isdigit(static_cast<unsigned char>(line[i]));
      sum.size = sum.size * 10 + static_cast<uint64_t>(line[i] - '0');
    }
    sum.sha256 = line.substr(a + 1, 64);
    for (const char c : sum.sha256) digits = digits && std::isxdigit(static_cast<unsigned char>(c));
    if (digits) sums.Set(line.substr(b + 1), sum);
  }
  return sums;
}
