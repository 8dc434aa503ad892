// setup.log on disk.
#include "engine/log_file.hpp"

#include <windows.h>

#include <vector>

#include "engine/sha256.hpp"
#include "shell/file_ops.hpp"
#include "shell/owned.hpp"
#include "shell/wide_text.hpp"

const TAnsiCodec& SystemAnsiCodec() {
  static const TAnsiCodec codec{ToAnsiExactly, FromAnsi};
  return codec;
}

bool SaveLog(const TInstallLog& log, const std::string& path) {
  return WriteWholeFile(path, log.FileBytes(SystemAnsiCodec()));
}

bool LoadLog(const std::string& path, std::vector<std::string>& lines) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  lines = TInstallLog::LinesOfFile(bytes, SystemAnsiCodec());
  return true;
}

bool SumOfFile(const std::string& path, TFileSum& sum) {
  OwnedHandle file(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  Sha256 hash;
  std::vector<char> buf(1 << 16);
  uint64_t size = 0;
  for (DWORD got = 0;; size += got) {
    if (!ReadFile(file.Get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr))
      return false;
    if (got == 0) break;
    hash.Update(buf.data(), got);
  }
  sum = {size, HexDigest(hash.Final())};
  return true;
}

TFileSums LoadSums(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, bytes) ? TFileSums::FromBytes(bytes) : TFileSums();
}

bool SaveSums(const TFileSums& sums, const std::string& path) {
  return WriteWholeFile(path, sums.FileBytes());
}
