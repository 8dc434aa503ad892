// Listing the folder a package is made from.
#include "packager/folder.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "packager/safe_files.hpp"

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

// A walk over the folder by hand, so that each entry that cannot be read
// is named instead of ending the walk. Links are followed only when asked,
// and only where they lead to something inside the folder.
struct Walk {
  fs::path root;    // as given: names are relative to it
  fs::path inside;  // its canonical form, for where links lead
  bool followLinks;
  std::vector<fs::path> visited;  // canonical directories, against loops
  FolderListing out;

  void Skip(const std::string& rel, const std::string& why) { out.skipped.push_back({rel, why}); }

  void File(const fs::path& path, const std::string& rel) {
    if (rel == "setup.ini" || rel == "license.txt") return;
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (!ec && !std::ifstream(path, std::ios::binary))
      ec = std::make_error_code(std::errc::permission_denied);
    if (ec)
      Skip(rel, "cannot be read (" + ec.message() + ")");
    else
      out.files.push_back({rel, static_cast<uint64_t>(size)});
  }

  bool Inside(const fs::path& canonical) const {
    const auto [end, _] =
        std::mismatch(inside.begin(), inside.end(), canonical.begin(), canonical.end());
    return end == inside.end();
  }

  void Link(const fs::path& path, const std::string& rel) {
    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    if (!followLinks)
      Skip(rel, "a symbolic link (--follow-links packs links that stay inside the folder)");
    else if (ec || !Inside(target))
      Skip(rel, "a symbolic link that leads out of the folder (or nowhere)");
    else if (fs::is_directory(target, ec))
      Directory(path, target);
    else if (fs::is_regular_file(target, ec))
      File(path, rel);
    else
      Skip(rel, "a symbolic link to what is not a regular file");
  }

  void Directory(const fs::path& dir, const fs::path& canonical) {
    const std::string here = dir.lexically_relative(root).generic_string();
    if (std::find(visited.begin(), visited.end(), canonical) != visited.end()) {
      Skip(here, "a link back to a folder already listed");
      return;
    }
    visited.push_back(canonical);
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) {
      Skip(here, "cannot be read (" + ec.message() + ")");
      return;
    }
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
      if (ec) {
        Skip(here, "cannot be read to its end (" + ec.message() + ")");
        return;
      }
      const fs::path& path = it->path();
      const std::string rel = path.lexically_relative(root).generic_string();
      const fs::file_status status = it->symlink_status(ec);
#ifdef _WIN32
      // Its narrow names are ANSI, which would bend what is not ASCII.
      const std::wstring wide = path.filename().wstring();
      if (std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c > 0x7F; })) {
        Skip(rel, "not ASCII, which the Windows build of qpack cannot carry (use qpack on Linux)");
        continue;
      }
#endif
      if (ec)
        Skip(rel, "cannot be read (" + ec.message() + ")");
      else if (status.type() == fs::file_type::directory)
        Directory(path, canonical / path.filename());
      else if (status.type() == fs::file_type::symlink)
        Link(path, rel);
      else if (status.type() != fs::file_type::regular)
        Skip(rel, KindOf(status.type()));
      else
        File(path, rel);
    }
  }
};

}  // namespace

FolderListing ListFolder(const std::string& folder, bool followLinks) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw std::runtime_error(folder + ": no such folder");
  Walk walk{fs::path(folder), fs::canonical(folder, ec), followLinks, {}, {}};
  walk.Directory(walk.root, walk.inside);
  FolderListing listing = std::move(walk.out);
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

bool SameContent(const std::string& pathA, const std::string& pathB) {
  std::error_code ea, eb;
  if (fs::file_size(pathA, ea) != fs::file_size(pathB, eb) || ea || eb) return false;
  const FileStream a = OpenRegularFile(pathA), b = OpenRegularFile(pathB);
  std::vector<char> x(1 << 16), y(1 << 16);
  for (;;) {
    const size_t n = std::fread(x.data(), 1, x.size(), a.get());
    if (std::fread(y.data(), 1, y.size(), b.get()) != n ||
        !std::equal(x.begin(), x.begin() + n, y.begin()))
      return false;
    if (n == 0) return true;
  }
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace qpack
