// Destination space arithmetic.
#include "engine/destination.hpp"

#include <limits>

#include "engine/setup_rec.hpp"

int64_t RequiredSpace(const std::string& diskSpace) {
  constexpr int64_t kHuge = std::numeric_limits<int64_t>::max();
  int64_t v = 0;
  // Numbers too large for 64 bits, and hexadecimal ones with the top bit set
  // (which would read as negative), ask for more space than any drive has.
  if (IsOutOfRangeNumber(diskSpace)) return kHuge;
  if (!TryStrToInt64(diskSpace, v)) v = kDefaultDiskSpace;
  if (v < 0 && diskSpace.find('$') != std::string::npos) return kHuge;
  if (v > kHuge - kSpaceMargin) return kHuge;
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
