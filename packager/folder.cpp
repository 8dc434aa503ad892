// Listing the folder a package is made from.
#include "packager/folder.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qpack {

namespace {

const char* KindOf(fs::file_type type) {
  switch (type) {
    case fs::file_type::symlink:
      return "a symbolic link";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::socket:
      return "a socket";
    case fs::file_type::block:
    case fs::file_type::character:
      return "a device";
    default:
      return "not a regular file";
  }
}

// Walks one directory by hand, never through a link, so that each entry
// that cannot be read is named instead of ending the walk.
void ListDirectory(const fs::path& root, const fs::path& dir, FolderListing& out) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  const std::string here = dir.lexically_relative(root).generic_string();
  if (ec) {
    out.skipped.push_back({here, "cannot be read (" + ec.message() + ")"});
    return;
  }
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) {
      out.skipped.push_back({here, "cannot be read to its end (" + ec.message() + ")"});
      return;
    }
    const fs::path& path = it->path();
    const std::string rel = path.lexically_relative(root).generic_string();
    const fs::file_status status = it->symlink_status(ec);
    if (ec) {
      out.skipped.push_back({rel, "cannot be read (" + ec.message() + ")"});
    } else if (status.type() == fs::file_type::directory) {
      ListDirectory(root, path, out);
    } else if (status.type() != fs::file_type::regular) {
      out.skipped.push_back({rel, KindOf(status.type())});
    } else if (rel != "setup.ini" && rel != "license.txt") {
      const uintmax_t size = it->file_size(ec);
      if (!ec && !std::ifstream(path, std::ios::binary))
        ec = std::make_error_code(std::errc::permission_denied);
      if (ec)
        out.skipped.push_back({rel, "cannot be read (" + ec.message() + ")"});
      else
        out.files.push_back({rel, static_cast<uint64_t>(size)});
    }
  }
}

}  // namespace

FolderListing ListFolder(const std::string& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw std::runtime_error(folder + ": no such folder");
  FolderListing listing;
  ListDirectory(fs::path(folder), fs::path(folder), listing);
  std::sort(listing.files.begin(), listing.files.end(),
            [](const FolderFile& a, const FolderFile& b) { return a.rel < b.rel; });
  std::sort(listing.skipped.begin(), listing.skipped.end(),
            [](const Skipped& a, const Skipped& b) { return a.rel < b.rel; });
  return listing;
}

std::string Backslashed(std::string rel) {
  std::replace(rel.begin(), rel.end(), '/', '\\');
  return rel;
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
