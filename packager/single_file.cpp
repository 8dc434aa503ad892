// Writing and reading the single setup file.
#include "packager/single_file.hpp"

#include <cstdio>
#include <filesystem>

#include "engine/carried_package.hpp"
#include "engine/sha256.hpp"
#include "packager/install_names.hpp"
#include "packager/package_info.hpp"
#include "packager/safe_files.hpp"
#include "setup/ini_file.hpp"

namespace fs = std::filesystem;

namespace qpack {

namespace {

void Seek(std::FILE* f, uint64_t offset) {
#ifdef _WIN32
  const int failed = _fseeki64(f, static_cast<long long>(offset), SEEK_SET);
#else
  const int failed = fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
  if (failed) throw std::runtime_error("cannot seek");
}

uint64_t FileSize(std::FILE* f) {
#ifdef _WIN32
  _fseeki64(f, 0, SEEK_END);
  return static_cast<uint64_t>(_ftelli64(f));
#else
  fseeko(f, 0, SEEK_END);
  return static_cast<uint64_t>(ftello(f));
#endif
}

// Copies size bytes from in (at its position) to out, hashing them.
std::array<uint8_t, 32> Copy(std::FILE* in, uint64_t size, std::FILE* out,
                             const std::string& what) {
  Sha256 sha;
  char buf[1 << 16];
  while (size > 0) {
    const size_t want = size < sizeof buf ? static_cast<size_t>(size) : sizeof buf;
    const size_t got = std::fread(buf, 1, want, in);
    if (got != want) throw PackageError(what + ": damaged or incomplete: cut short");
    sha.Update(buf, got);
    if (out && std::fwrite(buf, 1, got, out) != got) throw std::runtime_error("cannot write");
    size -= got;
  }
  return sha.Final();
}

struct Opened {
  FileStream file;
  uint64_t size = 0;
  carried::PeLayout pe;
};

Opened Open(const std::string& path) {
  Opened o;
  o.file = OpenRegularFile(path);
  o.size = FileSize(o.file.get());
  o.pe = carried::ReadPeLayout(ReadRegularHead(path, carried::kHeadBytes), o.size);
  return o;
}

// The trailer of an opened file: false for a bare program; throws for a
// damaged one.
// Bytes after the image that are no package of ours mean one cut short.
bool ReadTrailer(Opened& o, const std::string& path, carried::Trailer& trailer) {
  if (!o.pe.valid) return false;
  const uint64_t end = carried::TrailerEnd(o.pe, o.size);
  if (end <= o.pe.imageEnd && o.pe.certificateFits) return false;  // a bare program
  const PackageError cut(path + ": damaged or incomplete: cut short");
  if (!o.pe.certificateFits || end < o.pe.imageEnd + carried::kTrailerSize) throw cut;
  if (o.pe.bytesAfterCertificate)
    throw PackageError(path + ": damaged or incomplete: bytes follow its signature");
  std::string bytes(carried::kTrailerSize, '\0');
  Seek(o.file.get(), end - carried::kTrailerSize);
  if (std::fread(bytes.data(), 1, bytes.size(), o.file.get()) != bytes.size()) throw cut;
  std::string problem;
  if (!carried::DecodeTrailer(bytes, end, o.pe.imageEnd, trailer, problem)) throw cut;
  if (!problem.empty()) throw PackageError(path + ": damaged or incomplete: " + problem);
  const size_t gap = static_cast<size_t>(end - carried::kTrailerSize - trailer.partsEnd);
  std::string padding(gap, '\0');
  Seek(o.file.get(), trailer.partsEnd);
  if (std::fread(padding.data(), 1, gap, o.file.get()) != gap || padding != std::string(gap, '\0'))
    throw PackageError(path +
                       ": damaged or incomplete: bytes of no part lie before the package's "
                       "description");
  return true;
}

}  // namespace

std::string SingleFileName(const std::string& appName, const std::string& version) {
  if (!version.empty()) {
    if (const std::string problem = NameProblem(version, false); !problem.empty())
      throw PackageError("setup.ini: MAIN Version \"" + version +
                         "\" cannot stand in the file's name: " + problem);
  }
  return appName + (version.empty() ? "" : "-" + version) + "-setup.exe";
}

bool CarriesPackage(const std::string& path) {
  try {
    Opened o = Open(path);
    carried::Trailer trailer;
    return ReadTrailer(o, path, trailer);
  } catch (const PackageError&) {
    return true;  // damaged, but one of ours
  } catch (const std::exception&) {
    return false;
  }
}

bool IsIntactSingleFile(const std::string& path) {
  try {
    Opened o = Open(path);
    carried::Trailer trailer;
    return ReadTrailer(o, path, trailer);
  } catch (const std::exception&) {
    return false;
  }
}

std::string CarriedAppName(const std::string& path) {
  try {
    Opened o = Open(path);
    carried::Trailer trailer;
    if (!ReadTrailer(o, path, trailer)) return "";
    const carried::PartPlace& part = trailer.parts[carried::kScript];
    if (part.size > kMaxScriptBytes) return "";
    std::string script(static_cast<size_t>(part.size), '\0');
    Seek(o.file.get(), part.offset);
    if (std::fread(script.data(), 1, script.size(), o.file.get()) != script.size() ||
        Sha256Hex(script) != HexDigest(part.sha256))
      return "";
    return TIniFile(script).ReadString("MAIN", "AppName", "");
  } catch (const std::exception&) {
    return "";
  }
}

std::string FindSingleFile(const std::string& dir) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(dir + "/setup.ini", ec))) return "";
  std::string found;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (e.is_symlink(ec) || !e.is_regular_file(ec) || name.size() < 4 ||
        name.compare(name.size() - 4, 4, ".exe") != 0 || !CarriesPackage(e.path().string()))
      continue;
    if (!found.empty()) return "";  // which one is meant cannot be told
    found = e.path().string();
  }
  return found;
}

void WriteSingleFile(const std::string& program, const std::string& packageDir,
                     const std::string& path) {
  Opened exe = Open(program);
  if (!exe.pe.valid) throw PackageError(program + ": no Windows program");
  // The image alone: a signature (or an earlier payload) after it is left
  // behind, and the security directory entry that named a signature cleared.
  std::string image(static_cast<size_t>(exe.pe.imageEnd), '\0');
  Seek(exe.file.get(), 0);
  if (std::fread(image.data(), 1, image.size(), exe.file.get()) != image.size())
    throw PackageError(program + ": cut short");
  if (exe.pe.securityEntryOffset) image.replace(exe.pe.securityEntryOffset, 8, 8, '\0');

  NewFile out(path);
  if (std::fwrite(image.data(), 1, image.size(), out.Stream()) != image.size())
    throw std::runtime_error(path + ": cannot be written");
  carried::Trailer trailer;
  trailer.programSize = image.size();
  trailer.programSha256 = carried::ProgramDigest(image, exe.pe);
  uint64_t at = image.size();
  for (int i = 0; i < carried::kPartCount; ++i) {
    const std::string file = packageDir + "/" + carried::kPartFiles[i];
    std::error_code ec;
    if (i == carried::kLicence && !fs::exists(file, ec)) continue;
    const FileStream in = OpenRegularFile(file);
    carried::PartPlace& part = trailer.parts[i];
    part.offset = at;
    part.size = FileSize(in.get());
    Seek(in.get(), 0);
    part.sha256 = Copy(in.get(), part.size, out.Stream(), file);
    at += part.size;
  }
  const std::string padding((8 - (at + carried::kTrailerSize) % 8) % 8, '\0');
  const std::string tail = padding + carried::EncodeTrailer(trailer);
  if (std::fwrite(tail.data(), 1, tail.size(), out.Stream()) != tail.size() ||
      std::fflush(out.Stream()) != 0)
    throw std::runtime_error(path + ": cannot be written");
  out.Commit();
}

void UnpackSingleFile(const std::string& file, const std::string& dir) {
  Opened o = Open(file);
  carried::Trailer trailer;
  if (!ReadTrailer(o, file, trailer)) throw PackageError(file + ": carries no package");
  {
    // The bare program, without the signature the whole file may carry.
    std::string image(static_cast<size_t>(trailer.programSize), '\0');
    Seek(o.file.get(), 0);
    if (std::fread(image.data(), 1, image.size(), o.file.get()) != image.size())
      throw PackageError(file + ": damaged or incomplete: cut short");
    if (carried::ProgramDigest(image, o.pe) != trailer.programSha256)
      throw PackageError(file + ": damaged or incomplete: the program is not what was packed");
    if (o.pe.securityEntryOffset) image.replace(o.pe.securityEntryOffset, 8, 8, '\0');
    WriteNewFile(dir + "/setup.exe", image);
  }
  for (int i = 0; i < carried::kPartCount; ++i) {
    const carried::PartPlace& part = trailer.parts[i];
    if (!part.Present()) continue;
    NewFile out(dir + "/" + carried::kPartFiles[i]);
    Seek(o.file.get(), part.offset);
    if (Copy(o.file.get(), part.size, out.Stream(), file) != part.sha256)
      throw PackageError(file + ": damaged or incomplete: " + carried::kPartFiles[i] +
                         " is not what was packed (its SHA-256 differs)");
    std::fflush(out.Stream());
    out.Commit();
  }
}

}  // namespace qpack
