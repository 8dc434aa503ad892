// The folder a package is made from: its files, sorted, and the small text
// helpers the commands share. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qpack {

struct FolderFile {
  std::string rel;  // path below the folder, with "/" between parts
  uint64_t size = 0;
};

// What is not packed, and why.
struct Skipped {
  std::string rel;
  std::string why;
};

struct FolderListing {
  std::vector<FolderFile> files;
  // Links, devices, FIFOs, sockets and what cannot be read: nothing of it
  // is followed or opened.
  std::vector<Skipped> skipped;
};

// The regular files under folder, sorted by rel byte by byte so that every
// machine lists them alike. A setup.ini or license.txt at the top belongs to
// the package itself, not to what it installs, and is left out. Throws
// std::runtime_error when folder is no readable directory. Links are not
// followed, unless followLinks asks for the ones that lead to something
// inside the folder.
FolderListing ListFolder(const std::string& folder, bool followLinks = false);

// Text helpers.
std::string LowerAscii(std::string s);
bool SameTextAscii(const std::string& a, const std::string& b);
// The part of rel after its last "/".
std::string BaseName(const std::string& rel);
// The part of rel before its last "/"; empty at the top.
std::string ParentOf(const std::string& rel);
// rel with "\" between its parts, as a script names it.
std::string Backslashed(std::string rel);
bool SameContent(const std::string& pathA, const std::string& pathB);
bool IsFile(const std::string& path);

}  // namespace qpack
