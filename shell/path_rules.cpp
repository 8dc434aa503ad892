// Path arithmetic.
#include "shell/path_rules.hpp"

namespace {

std::string WithoutTrailingSlashes(std::string p) {
  while (!p.empty() && p.back() == '\\') p.pop_back();
  return p;
}

// "C:" or "\\server\share" (or less): nothing above it on that volume.
bool IsVolumeRoot(const std::string& p) {
  if (p.size() == 2 && p[1] == ':') return true;
  if (p.rfind("\\\\", 0) == 0) {
    const size_t server = p.find('\\', 2);
    return server == std::string::npos || p.find('\\', server + 1) == std::string::npos;
  }
  return false;
}

}  // namespace

std::string DirectoryPart(const std::string& path) {
  const size_t sep = path.find_last_of("\\:");
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string ContainingDirectory(const std::string& filePath) {
  const size_t sep = filePath.rfind('\\');
  if (sep == std::string::npos || sep == 0) return "";
  const std::string dir = filePath.substr(0, sep);
  return IsVolumeRoot(dir) ? "" : dir;
}

bool IsRootFileOfNoDrive(const std::string& path) {
  return path.size() > 1 && path[0] == '\\' && path.find('\\', 1) == std::string::npos;
}

std::string ParentOnSameVolume(const std::string& dir) {
  const std::string d = WithoutTrailingSlashes(dir);
  if (d.empty() || IsVolumeRoot(d)) return "";
  const std::string parent = ContainingDirectory(d);
  if (!parent.empty()) return parent;
  // The parent is the root itself: "C:\" (not "C:", the current directory).
  const size_t sep = d.rfind('\\');
  if (sep != std::string::npos && IsVolumeRoot(d.substr(0, sep))) return d.substr(0, sep + 1);
  return "";
}
