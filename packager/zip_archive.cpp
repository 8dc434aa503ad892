// Writing and reading setup.dat with minizip.
#include "packager/zip_archive.hpp"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "engine/sha256.hpp"
#include "engine/text_codes.hpp"
#include "packager/safe_files.hpp"

namespace qpack {

namespace {

constexpr size_t kChunk = 1 << 16;
// Deflate makes at most about 1,032 bytes of one; more declared is a lie.
constexpr uint64_t kMaxDeflateRatio = 1032;

// minizip on a stream that qpack opened itself (only regular files, fresh
// files for writing): the "file name" it is given is the stream.
std::FILE* StreamOf(voidpf s) { return static_cast<std::FILE*>(s); }
voidpf ZCALLBACK OpenStream(voidpf, const void* stream, int) { return const_cast<void*>(stream); }
uLong ZCALLBACK ReadStream(voidpf, voidpf s, void* buf, uLong n) {
  return static_cast<uLong>(std::fread(buf, 1, n, StreamOf(s)));
}
uLong ZCALLBACK WriteStream(voidpf, voidpf s, const void* buf, uLong n) {
  return static_cast<uLong>(std::fwrite(buf, 1, n, StreamOf(s)));
}
ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf s) {
#ifdef _WIN32
  return static_cast<ZPOS64_T>(_ftelli64(StreamOf(s)));
#else
  return static_cast<ZPOS64_T>(ftello(StreamOf(s)));
#endif
}
long ZCALLBACK SeekStream(voidpf, voidpf s, ZPOS64_T offset, int origin) {
  const int whence = origin == ZLIB_FILEFUNC_SEEK_CUR   ? SEEK_CUR
                     : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END
                                                        : SEEK_SET;
#ifdef _WIN32
  return _fseeki64(StreamOf(s), static_cast<__int64>(offset), whence);
#else
  return fseeko(StreamOf(s), static_cast<off_t>(offset), whence);
#endif
}
int ZCALLBACK CloseStream(voidpf, voidpf) { return 0; }  // its owner closes it
int ZCALLBACK StreamError(voidpf, voidpf s) { return std::ferror(StreamOf(s)); }

zlib_filefunc64_def StreamFunctions() {
  return {OpenStream, ReadStream,  WriteStream, TellStream,
          SeekStream, CloseStream, StreamError, nullptr};
}

void AddMember(zipFile zf, const ZipSource& m, const std::string& archive) {
  const FileStream in = OpenRegularFile(m.path);
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(m.path, ec);
  zip_fileinfo info{};
  info.tmz_date.tm_mday = 1;  // 1980-01-01 00:00:00, the first date ZIP can hold
  info.tmz_date.tm_year = 1980;
  const int zip64 = !ec && size >= 0xFFFFFFFFu ? 1 : 0;
  // Names are UTF-8, and say so (bit 11), as both of setup's roads read them.
  if (zipOpenNewFileInZip4_64(zf, m.member.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              Z_DEFLATED, 9, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                              nullptr, 0, 0, 1u << 11, zip64) != ZIP_OK)
    throw std::runtime_error(archive + ": cannot add " + m.member);
  std::vector<char> buf(kChunk);
  for (size_t got; (got = std::fread(buf.data(), 1, buf.size(), in.get())) > 0;)
    if (zipWriteInFileInZip(zf, buf.data(), static_cast<unsigned>(got)) != ZIP_OK)
      throw std::runtime_error(archive + ": cannot write " + m.member);
  if (std::ferror(in.get())) throw std::runtime_error(m.path + ": read error");
  if (zipCloseFileInZip(zf) != ZIP_OK) throw std::runtime_error(archive + ": cannot write");
}

// One central-directory entry, and where its data lies.
struct Entry {
  ZipMember member;
  unz64_file_pos pos{};
  uint64_t start = 0, packed = 0;
  bool located = false;
};

// Reads entry e's data through; sets intact, or the problem.
void Verify(unzFile uf, Entry& e, std::vector<char>& buf) {
  ZipMember& m = e.member;
  if (unzGoToFilePos64(uf, &e.pos) != UNZ_OK || unzOpenCurrentFile(uf) != UNZ_OK) {
    m.problem = "damaged: its local header does not match the directory";
    return;
  }
  uint64_t total = 0;
  int got = 0;
  while (total <= m.size &&
         (got = unzReadCurrentFile(uf, buf.data(), static_cast<unsigned>(buf.size()))) > 0)
    total += static_cast<uint64_t>(got);
  // Closing after a complete read is where minizip compares the CRC.
  const bool crc = unzCloseCurrentFile(uf) == UNZ_OK;
  m.intact = got == 0 && crc && total == m.size;
  if (!m.intact)
    m.problem = total != m.size && got >= 0
                    ? "damaged: holds " + std::to_string(total) +
                          " bytes where its headers declare " + std::to_string(m.size)
                    : "damaged: does not read back with its CRC";
}

}  // namespace

void WriteZip(const std::string& path, const std::vector<ZipSource>& members) {
  NewFile file(path);
  zlib_filefunc64_def io = StreamFunctions();
  zipFile zf = zipOpen2_64(file.Stream(), APPEND_STATUS_CREATE, nullptr, &io);
  if (!zf) throw std::runtime_error(path + ": cannot create");
  try {
    for (const ZipSource& m : members) AddMember(zf, m, path);
  } catch (...) {
    zipClose(zf, nullptr);
    throw;
  }
  if (zipClose(zf, nullptr) != ZIP_OK) throw std::runtime_error(path + ": cannot write");
  file.Commit();
}

// The current member's header and its name as UTF-8; false when they
// cannot be read.
static bool CurrentMember(unzFile uf, unz_file_info64& info, std::string& name) {
  if (unzGetCurrentFileInfo64(uf, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return false;
  // Sized from the header: minizip leaves a name that fills its buffer
  // without a terminator, and a hostile archive may hold any length.
  name.assign(info.size_filename, '\0');
  if (!name.empty() && unzGetCurrentFileInfo64(uf, &info, name.data(), info.size_filename, nullptr,
                                               0, nullptr, 0) != UNZ_OK)
    return false;
  // Older archives hold names in the OEM or the ANSI code page, as the
  // unzip tool reads them (Western Windows' pages here).
  if (!(info.flag & (1u << 11)))
    name = MemberNameIsOem(static_cast<unsigned>(info.version)) ? Oem850ToUtf8(name)
                                                                : Windows1252ToUtf8(name);
  return true;
}

std::vector<ZipMember> ReadZip(const std::string& path) {
  const FileStream file = OpenRegularFile(path);
  std::error_code ec;
  const uint64_t archiveSize = std::filesystem::file_size(path, ec);
  // An archive of no members is its end record alone, at offset 0, which
  // minizip takes for no end record at all.
  char head[4] = {};
  if (archiveSize == 22 && std::fread(head, 1, 4, file.get()) == 4 &&
      std::string(head, 4) == "PK\x05\x06")
    return {};
  std::rewind(file.get());
  zlib_filefunc64_def io = StreamFunctions();
  unzFile uf = unzOpen2_64(file.get(), &io);
  if (!uf) throw std::runtime_error("not a ZIP archive, or unreadable");
  std::vector<Entry> entries;
  for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK; rc = unzGoToNextFile(uf)) {
    unz_file_info64 info{};
    std::string name;
    if (!CurrentMember(uf, info, name)) break;
    Entry e;
    e.member.name = name;
    e.member.size = info.uncompressed_size;
    e.member.method = static_cast<int>(info.compression_method);
    e.packed = info.compressed_size;
    unzGetFilePos64(uf, &e.pos);
    // Where the data starts is known once the local header is read.
    if (unzOpenCurrentFile2(uf, nullptr, nullptr, 1) == UNZ_OK) {
      e.start = unzGetCurrentFileZStreamPos64(uf);
      e.located = true;
      unzCloseCurrentFile(uf);
    }
    entries.push_back(std::move(e));
  }
  // Each byte of data belongs to one member: entries that share data (or
  // point past the end) are not read, so no number of them costs more.
  std::map<uint64_t, const Entry*> byStart;
  for (const Entry& e : entries)
    if (e.located) byStart.emplace(e.start, &e);
  // Reading every member through is bounded too: a package of a few
  // megabytes may declare gigabytes of zeros. Past the budget, members are
  // not read through (setup still checks each CRC as it installs).
  uint64_t budget = std::max<uint64_t>(uint64_t{1} << 30, archiveSize * 100);
  std::vector<char> buf(kChunk);
  for (Entry& e : entries) {
    ZipMember& m = e.member;
    if (m.method != 0 && m.method != 8) continue;
    if (m.name.find('\0') != std::string::npos) {
      m.problem = "damaged: its name holds a NUL byte, which no file name can";
    } else if (!e.located) {
      m.problem = "damaged: its local header does not match the directory";
    } else if (e.start + e.packed > archiveSize || e.start + e.packed < e.start) {
      m.problem = "damaged: its data runs past the end of setup.dat";
    } else if ((m.method == 0 && m.size != e.packed) || m.size / kMaxDeflateRatio > e.packed + 1) {
      m.problem =
          "damaged: declares " + std::to_string(m.size) + " bytes, more than its data can hold";
    } else {
      auto next = byStart.upper_bound(e.start);
      const Entry* same = byStart.at(e.start);
      if (same != &e)
        m.problem = "damaged: its data is the data of " + same->member.name + " too";
      else if (next != byStart.end() && e.start + e.packed > next->first)
        m.problem = "damaged: its data overlaps that of " + next->second->member.name;
      else if (m.size > budget)
        m.unverified = true;
      else {
        budget -= m.size;
        Verify(uf, e, buf);
      }
    }
  }
  unzClose(uf);
  std::vector<ZipMember> members;
  for (Entry& e : entries) members.push_back(std::move(e.member));
  return members;
}

std::map<std::string, std::string> ZipMemberHashes(const std::string& path) {
  const FileStream file = OpenRegularFile(path);
  zlib_filefunc64_def io = StreamFunctions();
  unzFile uf = unzOpen2_64(file.get(), &io);
  if (!uf) throw std::runtime_error("not a ZIP archive, or unreadable");
  std::map<std::string, std::string> hashes;
  std::string failure;
  for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK && failure.empty(); rc = unzGoToNextFile(uf)) {
    unz_file_info64 info{};
    std::string name;
    if (!CurrentMember(uf, info, name)) break;
    if (unzOpenCurrentFile(uf) != UNZ_OK) {
      failure = name + ": cannot be read";
      break;
    }
    Sha256 sha;
    char buf[1 << 16];
    int n;
    while ((n = unzReadCurrentFile(uf, buf, sizeof buf)) > 0)
      sha.Update(buf, static_cast<size_t>(n));
    if (unzCloseCurrentFile(uf) != UNZ_OK || n < 0) failure = name + ": damaged";
    hashes[name] = HexDigest(sha.Final());
  }
  unzClose(uf);
  if (!failure.empty()) throw std::runtime_error(failure);
  return hashes;
}

}  // namespace qpack
