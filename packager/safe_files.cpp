// Reading and writing files with care.
#include "packager/safe_files.hpp"
#include "engine/sha256.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace qpack {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& why) {
  throw std::runtime_error(path + ": " + why);
}

#ifdef _WIN32
std::wstring WidePath(const std::string& path) { return fs::path(path).wstring(); }
#endif

void RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(fs::path(path), ec);
}

// A descriptor of path opened for reading without waiting, or -1.
int OpenForReading(const std::string& path) {
#ifdef _WIN32
  return _wopen(WidePath(path).c_str(), _O_RDONLY | _O_BINARY);
#else
  return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
}

bool IsRegularDescriptor(int fd) {
#ifdef _WIN32
  return GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_DISK;
#else
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Reading a regular file never waits; the flag only kept the open from it.
  return fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
#endif
}

void CloseDescriptor(int fd) {
#ifdef _WIN32
  _close(fd);
#else
  close(fd);
#endif
}

std::string FreshName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  const unsigned pid = static_cast<unsigned>(_getpid());
#else
  const unsigned pid = static_cast<unsigned>(getpid());
#endif
  return path + ".qpack-" + std::to_string(pid) + "-" + std::to_string(++counter) + ".tmp";
}

// path created for writing, failing if anything (a link included) is there.
std::FILE* CreateExclusively(const std::string& path) {
#ifdef _WIN32
  const int fd = _wopen(WidePath(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                        _S_IREAD | _S_IWRITE);
#else
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0644);
#endif
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (!f) CloseDescriptor(fd);
  return f;
}

bool RenameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING);
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

FileStream OpenRegularFile(const std::string& path) {
  const int fd = OpenForReading(path);
  if (fd < 0) Fail(path, "cannot be read");
  if (!IsRegularDescriptor(fd)) {
    CloseDescriptor(fd);
    Fail(path, "not a regular file (a FIFO, device or socket is never read)");
  }
  std::FILE* f = fdopen(fd, "rb");
  if (!f) {
    CloseDescriptor(fd);
    Fail(path, "cannot be read");
  }
  return FileStream(f);
}

std::string ReadRegularFile(const std::string& path, uint64_t limit) {
  const FileStream f = OpenRegularFile(path);
  std::string bytes;
  std::vector<char> buf(1 << 16);
  for (size_t n; (n = std::fread(buf.data(), 1, buf.size(), f.get())) > 0;) {
    if (bytes.size() + n > limit)
      Fail(path, "larger than " + std::to_string(limit) + " bytes, more than qpack reads");
    bytes.append(buf.data(), n);
  }
  if (std::ferror(f.get())) Fail(path, "read error");
  return bytes;
}

std::string ReadRegularHead(const std::string& path, size_t n) {
  const FileStream f = OpenRegularFile(path);
  std::string head(n, '\0');
  head.resize(std::fread(head.data(), 1, n, f.get()));
  return head;
}

void RefuseLink(const std::string& path) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(path, ec)))
    Fail(path, "a symbolic link; qpack writes no file through one");
}

NewFile::NewFile(const std::string& path) : path_(path) {
  RefuseLink(path);
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(path, ec))) Fail(path, "a directory");
  for (int attempt = 0; attempt < 100 && !stream_; ++attempt) {
    temp_ = FreshName(path);
    stream_ = CreateExclusively(temp_);
  }
  if (!stream_) Fail(path, "cannot be written");
}

NewFile::~NewFile() {
  if (!stream_) return;
  std::fclose(stream_);
  RemoveFile(temp_);
}

void NewFile::Commit() {
  const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  // A link made at path meanwhile is refused too; rename would replace it,
  // not write through it, but nothing of the user's is replaced unasked.
  bool placed = false;
  if (written && closed) {
    std::error_code ec;
    placed = !fs::is_symlink(fs::symlink_status(path_, ec)) && RenameOver(temp_, path_);
  }
  if (!placed) {
    RemoveFile(temp_);
    Fail(path_, "cannot be written");
  }
}

NewDirectory::NewDirectory(const std::string& path) : path_(path) {
  RefuseLink(path);
  for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
    const std::string candidate = FreshName(path);
#ifdef _WIN32
    const bool made = CreateDirectoryW(WidePath(candidate).c_str(), nullptr);
#else
    const bool made = mkdir(candidate.c_str(), 0700) == 0;
#endif
    if (made) dir_ = candidate;
  }
  if (dir_.empty()) Fail(path, "no directory can be made beside it");
}

NewDirectory::~NewDirectory() {
  std::error_code ec;
  fs::remove_all(fs::path(dir_), ec);
}

void NewDirectory::Place(const std::string& name) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(path_, ec)) || !RenameOver(dir_ + "/" + name, path_))
    Fail(path_, "cannot be written");
}

void WriteNewFile(const std::string& path, const std::string& bytes) {
  NewFile f(path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f.Stream()) != bytes.size())
    Fail(path, "cannot be written");
  f.Commit();
}

void CopyNewFile(const std::string& from, const std::string& path) {
  const FileStream in = OpenRegularFile(from);
  NewFile f(path);
  std::vector<char> buf(1 << 16);
  for (size_t n; (n = std::fread(buf.data(), 1, buf.size(), in.get())) > 0;)
    if (std::fwrite(buf.data(), 1, n, f.Stream()) != n) Fail(path, "cannot be written");
  if (std::ferror(in.get())) Fail(from, "read error");
  f.Commit();
}

std::string Sha256HexOfFile(const std::string& path) {
  const FileStream f = OpenRegularFile(path);
  Sha256 sha;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) sha.Update(buf, n);
  if (std::ferror(f.get())) throw std::runtime_error(path + ": read error");
  return HexDigest(sha.Final());
}

}  // namespace qpack
