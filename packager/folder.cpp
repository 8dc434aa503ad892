// Listing the folder a package is made from.
#include "packager/folder.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qpack {

std::vector<FolderFile> ListFolder(const std::string& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw std::runtime_error(folder + ": no such folder");
  std::vector<FolderFile> files;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    // Lexically: fs::relative resolves links, and a link to a file outside
    // would be listed as "../..." and installed beside the application.
    std::string rel = it->path().lexically_relative(folder).generic_string();
    if (rel == "setup.ini" || rel == "license.txt") continue;
    files.push_back({std::move(rel), static_cast<uint64_t>(it->file_size(ec))});
  }
  if (ec) throw std::runtime_error(folder + ": " + ec.message());
  std::sort(files.begin(), files.end(),
            [](const FolderFile& a, const FolderFile& b) { return a.rel < b.rel; });
  return files;
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  return LowerAscii(a) == LowerAscii(b);
}

std::string BaseName(const std::string& rel) {
  const size_t slash = rel.rfind('/');
  return slash == std::string::npos ? rel : rel.substr(slash + 1);
}

std::string ParentOf(const std::string& rel) {
  const size_t slash = rel.rfind('/');
  return slash == std::string::npos ? std::string() : rel.substr(0, slash);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error(path + ": cannot read");
  return std::string(std::istreambuf_iterator<char>(f), {});
}

bool SameContent(const std::string& pathA, const std::string& pathB) {
  std::error_code ea, eb;
  if (fs::file_size(pathA, ea) != fs::file_size(pathB, eb) || ea || eb) return false;
  return ReadWholeFile(pathA) == ReadWholeFile(pathB);
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace qpack
