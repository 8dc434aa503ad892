// TFileSource and the handle streams it writes through.
#include "filestore/file_source.hpp"

#include <vector>

#include "shell/file_ops.hpp"
#include "shell/owned.hpp"
#include "shell/wide_text.hpp"

#include "filestore/compress_stream.hpp"

namespace filestore {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw EFileSource(what + ": " + SystemMessage(GetLastError()));
}

// "~fs" + seconds in the temporary directory; the first free n wins. The file
// is created exclusively so that two writers never share a name.
HANDLE CreateTempFile(const std::string& extension, std::string& path) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string prefix = TempDirectory();
  if (prefix.empty()) Fail("Cannot find the temporary directory");
  if (!prefix.empty() && prefix.back() == '\\') prefix.pop_back();
  prefix += "\\~fs" + std::to_string(now.wSecond);
  for (unsigned n = 0; n < 100000; ++n) {
    std::string candidate = prefix + std::to_string(n) + extension;
    if (GetFileAttributesW(LongPath(candidate).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    HANDLE h = CreateFileW(LongPath(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      path = candidate;
      return h;
    }
    DWORD err = GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) Fail("Cannot create " + candidate);
  }
  SetLastError(ERROR_FILE_EXISTS);
  Fail("Cannot create a temporary file in " + prefix);
}

}  // namespace

void HandleWriter::Write(const void* buf, size_t size) {
  auto* p = static_cast<const uint8_t*>(buf);
  while (size) {
    DWORD done = 0;
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!WriteFile(h_, p, chunk, &done, nullptr) || done == 0) Fail("Cannot write file");
    p += done;
    size -= done;
  }
}

uint64_t HandleWriter::Position() {
  LARGE_INTEGER zero{}, pos{};
  if (!SetFilePointerEx(h_, zero, &pos, FILE_CURRENT)) Fail("Cannot tell file position");
  return static_cast<uint64_t>(pos.QuadPart);
}

void HandleWriter::Seek(uint64_t pos) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(pos);
  if (!SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) Fail("Cannot seek in file");
}

size_t HandleReader::Read(void* buf, size_t size) {
  DWORD done = 0;
  DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (!ReadFile(h_, buf, chunk, &done, nullptr)) Fail("Cannot read file");
  return done;
}

std::string ExtractFileExt(const std::string& path) {
  const size_t sep = path.find_last_of("\\/:");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return "";
  return path.substr(dot);
}

TFileSource::~TFileSource() {
  held_.Reset();
  if (tempCreated_) DeleteFileAt(fileName_);
}

void TFileSource::SetCompress(bool value) {
  compress_ = value;
  if (value) store_ = true;
}

std::string TFileSource::FileName() const {
  return !fileName_.empty() && FileExists(fileName_) ? fileName_ : std::string();
}

void TFileSource::SetFileName(const std::string& path) {
  held_.Reset();
  if (tempCreated_) DeleteFileAt(fileName_);
  fileName_ = path;
  tempCreated_ = false;
  extension_ = ExtractFileExt(path);
}

void TFileSource::ReadData(ByteReader& stream) {
  // A file read before is replaced, not left behind.
  held_.Reset();
  if (tempCreated_) DeleteFileAt(fileName_);
  std::string path;
  VectorWriter decoded;
  {
    OwnedHandle file(CreateTempFile(extension_, path));
    fileName_ = path;
    tempCreated_ = true;
    if (compress_)
      TCompressStream().Decode(stream, decoded);
    else
      DecodePlain(stream, decoded);
    HandleWriter(file.Get()).Write(decoded.Data().data(), decoded.Data().size());
  }
  // Between the close above and this open another program could have
  // written the file: what is held must be what was decoded.
  held_.Reset(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held_) Fail("Cannot hold " + path);
  std::vector<uint8_t> back(decoded.Data().size() + 1);
  size_t got = 0;
  for (size_t n = 0; (n = HandleReader(held_.Get()).Read(back.data() + got, back.size() - got));)
    got += n;
  back.resize(got);
  if (back != decoded.Data()) {
    SetLastError(ERROR_FILE_CORRUPT);
    Fail(path + " changed while it was written");
  }
}

void TFileSource::WriteData(ByteWriter& stream) const {
  if (!FileExists(fileName_))
    throw EFileSource(name_ + " cannot store file: " + fileName_ + " (file is missing)");
  HANDLE h = CreateFileW(LongPath(fileName_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail("Cannot open " + fileName_);
  OwnedHandle file(h);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) Fail("Cannot read " + fileName_);
  HandleReader in(h);
  if (compress_)
    TCompressStream().Encode(in, stream, static_cast<uint64_t>(size.QuadPart));
  else
    EncodePlain(in, stream, static_cast<uint64_t>(size.QuadPart));
}

void TFileSource::LoadFromResource(HMODULE module, const char* resourceName) {
  HRSRC res =
      FindResourceW(module, Wide(resourceName).c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!res) Fail(std::string("Cannot find resource ") + resourceName);
  HGLOBAL mem = LoadResource(module, res);
  const void* data = mem ? LockResource(mem) : nullptr;
  if (!data) Fail(std::string("Cannot load resource ") + resourceName);
  MemoryReader reader(data, SizeofResource(module, res));
  ReadData(reader);
}

}  // namespace filestore
