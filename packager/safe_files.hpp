// Files qpack reads and writes, handled as a folder or package it did not
// make may be hostile: only regular files are read (never a FIFO, device
// or socket, which would block or never end), within a size limit; every
// file written is made fresh beside its place and renamed over it, so that
// nothing is written through a link or left half written. Portable.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace qpack {

// The most of a setup script qpack reads (far beyond any real one).
constexpr uint64_t kMaxScriptBytes = uint64_t{16} << 20;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

// path opened for reading when it is a regular file (a link to one is
// followed); throws std::runtime_error naming it otherwise. Opening never
// waits, whatever lies at path.
FileStream OpenRegularFile(const std::string& path);
// The whole of a regular file of at most limit bytes; throws otherwise.
std::string ReadRegularFile(const std::string& path, uint64_t limit);
// The first n bytes (fewer when the file is shorter) of a regular file.
std::string ReadRegularHead(const std::string& path, size_t n);

// Throws when path is a symbolic link (dangling or not): qpack writes no
// file through one.
void RefuseLink(const std::string& path);

// A file being written: made under a fresh name beside path, never an
// existing one; Commit renames it over path (a link at path is refused).
// Dropped without Commit, the fresh file goes again.
class NewFile {
 public:
  explicit NewFile(const std::string& path);
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  std::FILE* Stream() const { return stream_; }
  const std::string& TempPath() const { return temp_; }
  void Commit();

 private:
  std::string path_, temp_;
  std::FILE* stream_ = nullptr;
};

// A directory of our own made fresh beside path (never an existing one), for
// a tool that must write a file of a name of its choosing; it goes again
// with what it holds. Place renames a file in it over path, as Commit does.
class NewDirectory {
 public:
  explicit NewDirectory(const std::string& path);
  ~NewDirectory();
  NewDirectory(const NewDirectory&) = delete;
  NewDirectory& operator=(const NewDirectory&) = delete;

  const std::string& Path() const { return dir_; }
  void Place(const std::string& name);

 private:
  std::string path_, dir_;
};

// Writes bytes to path as a NewFile.
void WriteNewFile(const std::string& path, const std::string& bytes);
// Copies the regular file from to path as a NewFile.
void CopyNewFile(const std::string& from, const std::string& path);
// Upper-case hex SHA-256 of a regular file's contents. Throws
// std::runtime_error naming the file when it cannot be read.
std::string Sha256HexOfFile(const std::string& path);

}  // namespace qpack
