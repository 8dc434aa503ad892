// Reading setup.dat in-process.
#include "engine/zip_reader.hpp"

#include <windows.h>

#include <minizip/unzip.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "engine/sha256.hpp"
#include "engine/text_codes.hpp"
#include "shell/owned.hpp"
#include "shell/wide_text.hpp"

namespace {

// A range of a file as minizip's stream, read through two buffers: minizip
// asks for the central directory in pieces of a few dozen bytes, and goes
// back to it between the members' data, so one buffer keeps each place.
class RangeStream {
 public:
  RangeStream(HANDLE file, uint64_t base, uint64_t size) : file_(file), base_(base), size_(size) {}

  unsigned long Read(void* out, unsigned long n) {
    auto* dst = static_cast<char*>(out);
    unsigned long done = 0;
    while (done < n && pos_ < size_) {
      const Block* b = BlockAt(pos_);
      if (!b) {
        error_ = true;
        break;
      }
      const size_t at = static_cast<size_t>(pos_ - b->start);
      const size_t take = std::min<size_t>(b->bytes.size() - at, n - done);
      std::memcpy(dst + done, b->bytes.data() + at, take);
      done += static_cast<unsigned long>(take);
      pos_ += take;
    }
    return done;
  }
  long Seek(uint64_t offset, int origin) {
    uint64_t to = offset;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) to = pos_ + offset;
    if (origin == ZLIB_FILEFUNC_SEEK_END) to = size_ + offset;
    if (to > size_) return -1;
    pos_ = to;
    return 0;
  }
  uint64_t Tell() const { return pos_; }
  bool Failed() const { return error_; }

 private:
  struct Block {
    uint64_t start = 0;
    std::vector<char> bytes;
    uint64_t used = 0;  // when last read from, for replacing the older one
  };

  const Block* BlockAt(uint64_t pos) {
    ++clock_;
    for (Block& b : blocks_)
      if (!b.bytes.empty() && pos >= b.start && pos < b.start + b.bytes.size()) {
        b.used = clock_;
        return &b;
      }
    Block& b = blocks_[0].used <= blocks_[1].used ? blocks_[0] : blocks_[1];
    b.start = pos;
    b.bytes.resize(static_cast<size_t>(std::min<uint64_t>(kBuffer, size_ - pos)));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(base_ + pos);
    DWORD got = 0;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
        !ReadFile(file_, b.bytes.data(), static_cast<DWORD>(b.bytes.size()), &got, nullptr) ||
        got == 0) {
      b.bytes.clear();
      return nullptr;
    }
    b.bytes.resize(got);
    b.used = clock_;
    return &b;
  }

  static constexpr size_t kBuffer = 1 << 16;
  HANDLE file_;
  uint64_t base_, size_, pos_ = 0, clock_ = 0;
  Block blocks_[2];
  bool error_ = false;
};

RangeStream& StreamOf(voidpf s) { return *static_cast<RangeStream*>(s); }

// minizip's "file name" is the stream itself, opened beforehand.
voidpf ZCALLBACK OpenStream(voidpf, const void* stream, int) { return const_cast<void*>(stream); }
uLong ZCALLBACK ReadStream(voidpf, voidpf s, void* buf, uLong n) {
  return StreamOf(s).Read(buf, n);
}
uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong) { return 0; }
ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf s) { return StreamOf(s).Tell(); }
long ZCALLBACK SeekStream(voidpf, voidpf s, ZPOS64_T offset, int origin) {
  return StreamOf(s).Seek(offset, origin);
}
int ZCALLBACK CloseStream(voidpf, voidpf) { return 0; }
int ZCALLBACK StreamError(voidpf, voidpf s) { return StreamOf(s).Failed() ? 1 : 0; }

// The member's DOS time as the file's write time, as the unzip tool sets it.
void SetWriteTime(HANDLE file, uLong dosDate) {
  FILETIME local, utc;
  if (DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local) &&
      LocalFileTimeToFileTime(&local, &utc))
    SetFileTime(file, nullptr, nullptr, &utc);
}

}  // namespace

struct ZipReader::State {
  OwnedHandle file;
  std::unique_ptr<RangeStream> stream;
  unzFile zip = nullptr;
  struct Member {
    unz64_file_pos pos;
    std::string name;
  };
  std::unordered_map<std::string, Member> members;  // by lower-case name

  ~State() {
    if (zip) unzClose(zip);
  }
};

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() = default;
ZipReader::ZipReader(ZipReader&&) noexcept = default;
ZipReader& ZipReader::operator=(ZipReader&&) noexcept = default;

bool ZipReader::IsOpen() const { return state_ && state_->zip; }

bool ZipReader::Open(const std::string& path, uint64_t offset, uint64_t size) {
  auto s = std::make_unique<State>();
  s->file.Reset(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER fileSize{};
  if (!s->file || !GetFileSizeEx(s->file.Get(), &fileSize)) return false;
  const auto total = static_cast<uint64_t>(fileSize.QuadPart);
  if (offset > total) return false;
  s->stream = std::make_unique<RangeStream>(s->file.Get(), offset, std::min(size, total - offset));
  zlib_filefunc64_def io{OpenStream, ReadStream,  WriteStream, TellStream,
                         SeekStream, CloseStream, StreamError, nullptr};
  s->zip = unzOpen2_64(s->stream.get(), &io);
  if (!s->zip) return false;
  for (int rc = unzGoToFirstFile(s->zip); rc == UNZ_OK; rc = unzGoToNextFile(s->zip)) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(s->zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    std::string name(info.size_filename, '\0');
    if (!name.empty() && unzGetCurrentFileInfo64(s->zip, &info, name.data(), info.size_filename,
                                                 nullptr, 0, nullptr, 0) != UNZ_OK)
      break;
    // Names are UTF-8 where the archive says so (qpack's always are); older
    // archives hold them in the OEM or the ANSI code page, as the tool reads
    // them.
    if (!(info.flag & (1u << 11)))
      name = MemberNameIsOem(static_cast<unsigned>(info.version)) ? FromOem(name) : FromAnsi(name);
    unz64_file_pos pos{};
    if (unzGetFilePos64(s->zip, &pos) == UNZ_OK) s->members[FoldCase(name)] = {pos, name};
  }
  state_ = std::move(s);
  return true;
}

unsigned long ZipReader::Extract(const std::string& member, void* out, std::string& storedName,
                                 const std::function<bool()>& keepGoing, TFileSum* sum) {
  if (!IsOpen()) return kUnreadable;
  const auto it = state_->members.find(FoldCase(member));
  if (it == state_->members.end()) return kNoMember;
  unzFile zip = state_->zip;
  unz_file_info64 info{};
  storedName = it->second.name;
  if (unzGoToFilePos64(zip, &it->second.pos) != UNZ_OK ||
      unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return kUnreadable;
  if (unzOpenCurrentFile(zip) != UNZ_OK) return kDamaged;
  std::vector<char> buf(1 << 16);
  Sha256 sha;
  uint64_t written = 0, sinceAsked = 0;
  unsigned long code = 0;
  for (;;) {
    const int got = unzReadCurrentFile(zip, buf.data(), static_cast<unsigned>(buf.size()));
    if (got < 0) {
      code = kDamaged;
      break;
    }
    if (got == 0) break;
    DWORD put = 0;
    if (!WriteFile(out, buf.data(), static_cast<DWORD>(got), &put, nullptr) ||
        put != static_cast<DWORD>(got)) {
      code = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
      break;
    }
    if (sum) sha.Update(buf.data(), static_cast<size_t>(got));
    written += static_cast<uint64_t>(got);
    if ((sinceAsked += static_cast<uint64_t>(got)) >= (1u << 20) && keepGoing) {
      sinceAsked = 0;
      if (!keepGoing()) {
        code = ERROR_CANCELLED;
        break;
      }
    }
  }
  // Closing after the last byte is where minizip compares the CRC; a
  // member that holds other than what its header declares is damaged too.
  const int closed = unzCloseCurrentFile(zip);
  if (code == 0 && (closed != UNZ_OK || written != info.uncompressed_size)) code = kDamaged;
  if (code == 0) SetWriteTime(out, info.dosDate);
  if (code == 0 && sum) *sum = {written, HexDigest(sha.Final())};
  return code;
}
