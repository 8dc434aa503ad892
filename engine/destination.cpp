// Destination space arithmetic.
#include "engine/destination.hpp"

#include <limits>

namespace {

bool ParseInt64(const std::string& text, int64_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return false;
  if (text[i] == '$') {
    if (++i == text.size()) return false;
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
      char c = text[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0 || v > (std::numeric_limits<uint64_t>::max() >> 4)) return false;
      v = v * 16 + static_cast<uint64_t>(d);
    }
    value = static_cast<int64_t>(v);
    return true;
  }
  const bool negative = text[i] == '-';
  if (text[i] == '+' || text[i] == '-') ++i;
  if (i == text.size()) return false;
  uint64_t v = 0;
  const uint64_t limit = uint64_t{std::numeric_limits<int64_t>::max()} + (negative ? 1 : 0);
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const uint64_t d = static_cast<uint64_t>(text[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  value = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

}  // namespace

int64_t RequiredSpace(const std::string& diskSpace) {
  int64_t v = 0;
  if (!ParseInt64(diskSpace, v)) v = kDefaultDiskSpace;
  if (v > std::numeric_limits<int64_t>::max() - kSpaceMargin) return std::numeric_limits<int64_t>::max();
  return v + kSpaceMargin;
}

int64_t KiloBytes(int64_t bytes) {
  int64_t q = bytes / 1024, r = bytes % 1024;
  if (r < 0) {
    r += 1024;
    --q;
  }
  if (r > 512 || (r == 512 && (q & 1))) ++q;
  return q;
}

std::string DriveRoot(const std::string& path) {
  if (path.empty()) return "";
  if (path[0] == '\\') return "\\";
  char c = path[0];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return std::string(1, c) + ":\\";
}

std::string NotEnoughSpaceMessage(int64_t required) {
  return "Error - Not enough free space on this drive.\r\nSetup requires " +
         std::to_string(KiloBytes(required)) + " kb!" + "\r\n" +
         "Delete some files or choose another drive.";
}
