// What was installed, file by file: size and SHA-256, kept in setup.sums
// beside setup.log. A removal or an upgrade deletes a file only while it is
// as installed; one the user has changed since is the user's and stays.
// An installation made before the record existed has none, and is removed
// by its log alone. Portable.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct TFileSum {
  uint64_t size = 0;
  std::string sha256;  // upper-case hex
  bool operator==(const TFileSum& o) const { return size == o.size && sha256 == o.sha256; }
};

// By path, folded as Windows compares paths.
class TFileSums {
 public:
  static constexpr const char* kFileName = "setup.sums";

  void Set(const std::string& path, const TFileSum& sum);
  const TFileSum* Find(const std::string& path) const;
  bool Empty() const { return byPath_.empty(); }

  // One line per file, "<size> <sha256> <path>", UTF-8, CR LF after each.
  std::string FileBytes() const;
  // Lines that do not read so are passed over.
  static TFileSums FromBytes(const std::string& bytes);

 private:
  struct Entry {
    std::string path;
    TFileSum sum;
  };
  std::map<std::string, Entry> byPath_;
};
