// Writing and reading setup.dat with minizip.
#include "packager/zip_archive.hpp"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace qpack {

namespace {

constexpr size_t kChunk = 1 << 16;

void AddMember(zipFile zf, const ZipSource& m, const std::string& archive) {
  std::ifstream in(m.path, std::ios::binary);
  if (!in) throw std::runtime_error(m.path + ": cannot read");
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(m.path, ec);
  zip_fileinfo info{};
  info.tmz_date.tm_mday = 1;  // 1980-01-01 00:00:00, the first date ZIP can hold
  info.tmz_date.tm_year = 1980;
  const int zip64 = !ec && size >= 0xFFFFFFFFu ? 1 : 0;
  if (zipOpenNewFileInZip64(zf, m.member.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                            Z_DEFLATED, 9, zip64) != ZIP_OK)
    throw std::runtime_error(archive + ": cannot add " + m.member);
  std::vector<char> buf(kChunk);
  while (in) {
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    const auto got = static_cast<unsigned>(in.gcount());
    if (got > 0 && zipWriteInFileInZip(zf, buf.data(), got) != ZIP_OK)
      throw std::runtime_error(archive + ": cannot write " + m.member);
  }
  if (in.bad()) throw std::runtime_error(m.path + ": read error");
  if (zipCloseFileInZip(zf) != ZIP_OK) throw std::runtime_error(archive + ": cannot write");
}

}  // namespace

void WriteZip(const std::string& path, const std::vector<ZipSource>& members) {
  const std::string partial = path + ".partial";
  zipFile zf = zipOpen64(partial.c_str(), APPEND_STATUS_CREATE);
  if (!zf) throw std::runtime_error(path + ": cannot create");
  try {
    for (const ZipSource& m : members) AddMember(zf, m, path);
  } catch (...) {
    zipClose(zf, nullptr);
    std::remove(partial.c_str());
    throw;
  }
  if (zipClose(zf, nullptr) != ZIP_OK) {
    std::remove(partial.c_str());
    throw std::runtime_error(path + ": cannot write");
  }
  std::error_code ec;
  std::filesystem::rename(partial, path, ec);
  if (ec) throw std::runtime_error(path + ": " + ec.message());
}

std::vector<ZipMember> ReadZip(const std::string& path) {
  unzFile uf = unzOpen64(path.c_str());
  if (!uf) throw std::runtime_error("not a ZIP archive, or unreadable");
  std::vector<ZipMember> members;
  std::vector<char> buf(kChunk);
  for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK; rc = unzGoToNextFile(uf)) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(uf, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    // Sized from the header: minizip leaves a name that fills its buffer
    // without a terminator, and a hostile archive may hold any length.
    std::string name(info.size_filename, '\0');
    if (!name.empty() && unzGetCurrentFileInfo64(uf, &info, name.data(), info.size_filename,
                                                 nullptr, 0, nullptr, 0) != UNZ_OK)
      break;
    name.resize(std::min(name.size(), name.find('\0')));
    ZipMember m{name, info.uncompressed_size, static_cast<int>(info.compression_method)};
    if ((m.method == 0 || m.method == Z_DEFLATED) && unzOpenCurrentFile(uf) == UNZ_OK) {
      int got = 0;
      while ((got = unzReadCurrentFile(uf, buf.data(), static_cast<unsigned>(buf.size()))) > 0) {
      }
      // Closing after a complete read is where minizip compares the CRC.
      m.intact = unzCloseCurrentFile(uf) == UNZ_OK && got == 0;
    }
    members.push_back(std::move(m));
  }
  unzClose(uf);
  return members;
}

}  // namespace qpack
