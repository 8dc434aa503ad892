// Finding and checking the package a single setup file carries.
#include "engine/package_source.hpp"

#include <algorithm>

#include <windows.h>

#include <vector>

#include "engine/carried_package.hpp"
#include "engine/sha256.hpp"
#include "shell/file_ops.hpp"
#include "shell/wide_text.hpp"

namespace {

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD size) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  return ReadFile(file, buffer, size, &read, &at) && read == size;
}

// Reads size bytes from offset, handing each block to sink (and, when sha is
// given, to it too).
template <class Sink>
bool ReadRange(HANDLE file, uint64_t offset, uint64_t size, Sha256* sha, Sink sink) {
  std::vector<char> buffer(1 << 20);
  while (size > 0) {
    const DWORD n = static_cast<DWORD>(size < buffer.size() ? size : buffer.size());
    if (!ReadAt(file, offset, buffer.data(), n) || !sink(buffer.data(), n)) return false;
    if (sha) sha->Update(buffer.data(), n);
    offset += n;
    size -= n;
  }
  return true;
}

}  // namespace

PackagePlace PlaceBeside(const std::string& dir, const std::string& program) {
  PackagePlace place;
  place.script = dir + "setup.ini";
  // A licence that is there but cannot be read is still the wizard's to
  // report.
  place.licence = PathExists(dir + "license.txt") ? dir + "license.txt" : "";
  place.archive.path = dir + "setup.dat";
  place.program = program;
  return place;
}

CarriedPackage::~CarriedPackage() {
  for (OwnedHandle& part : heldParts_) part.Reset();
  if (!folder_.empty()) RemoveTree(folder_.substr(0, folder_.size() - 1));
}

CarriedPackage::Found CarriedPackage::Damaged(const std::string& why) {
  problem_ = why;
  return Found::Damaged;
}

CarriedPackage::Found CarriedPackage::Open(const std::string& program) {
  // A bare program does not hold its own file: as the uninstaller it
  // deletes itself at the end.
  const Found found = Look(program);
  if (found == Found::None) program_.Reset();
  return found;
}

CarriedPackage::Found CarriedPackage::Look(const std::string& program) {
  // Held open sharing reading alone: nobody changes or renames the file
  // between the check of its parts and their use.
  program_.Reset(CreateFileW(LongPath(program).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  const bool held = static_cast<bool>(program_);
  if (!held)
    program_.Reset(CreateFileW(LongPath(program).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  if (!program_) return Found::None;
  LARGE_INTEGER size{};
  std::string head(carried::kHeadBytes, '\0');
  DWORD read = 0;
  if (!GetFileSizeEx(program_.Get(), &size) ||
      !ReadFile(program_.Get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr))
    return Found::None;
  head.resize(read);
  const auto fileSize = static_cast<uint64_t>(size.QuadPart);
  const carried::PeLayout pe = carried::ReadPeLayout(head, fileSize);
  if (!pe.valid) return Found::None;
  if (!pe.certificateFits) return Damaged("its signature reaches past its end (cut short?)");
  if (pe.bytesAfterCertificate) return Damaged("bytes follow its signature");
  const uint64_t end = carried::TrailerEnd(pe, fileSize);
  // Nothing after the image: a bare program, run beside its files.
  if (end <= pe.imageEnd) return Found::None;
  std::string bytes(carried::kTrailerSize, '\0');
  carried::Trailer trailer;
  std::string problem;
  if (end < pe.imageEnd + carried::kTrailerSize ||
      !ReadAt(program_.Get(), end - carried::kTrailerSize, bytes.data(), carried::kTrailerSize) ||
      !carried::DecodeTrailer(bytes, end, pe.imageEnd, trailer, problem))
    return Damaged("the package's description at its end is missing (cut short?)");
  if (!problem.empty()) return Damaged(problem);
  char padding[8] = {};
  const auto gap = static_cast<DWORD>(end - carried::kTrailerSize - trailer.partsEnd);
  if (gap > 0 && (!ReadAt(program_.Get(), trailer.partsEnd, padding, gap) ||
                  std::any_of(padding, padding + gap, [](char c) { return c != 0; })))
    return Damaged("bytes of no part lie before the package's description");
  if (!held) return Damaged("its own file cannot be held against changes while it runs");

  // The program itself (with the unzip tool it carries) is checked as well:
  // it becomes the uninstaller.
  if (trailer.programSize > (256u << 20)) return Damaged("the program is too large");
  std::string image(static_cast<size_t>(trailer.programSize), '\0');
  if (!ReadAt(program_.Get(), 0, image.data(), static_cast<DWORD>(image.size())))
    return Damaged("the program cannot be read");
  if (carried::ProgramDigest(std::move(image), pe) != trailer.programSha256)
    return Damaged("the program is not what was packed");

  folder_ = FreshTempFolder();
  if (folder_.empty()) {
    problem_ = "no folder of its own can be made in the temporary folder";
    return Found::Unpackable;
  }
  for (int i = 0; i < carried::kPartCount; ++i) {
    const carried::PartPlace& part = trailer.parts[i];
    if (!part.Present()) continue;
    // setup.dat stays where it lies; the other two are read from files.
    OwnedHandle out;
    if (i != carried::kArchive) {
      out.Reset(CreateFileW(LongPath(folder_ + carried::kPartFiles[i]).c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!out) {
        problem_ = std::string(carried::kPartFiles[i]) + " cannot be written";
        return Found::Unpackable;
      }
    }
    Sha256 sha;
    const bool read =
        ReadRange(program_.Get(), part.offset, part.size, &sha, [&](const char* data, DWORD n) {
          DWORD written = 0;
          return !out || (WriteFile(out.Get(), data, n, &written, nullptr) && written == n);
        });
    if (!read) return Damaged(std::string(carried::kPartFiles[i]) + " cannot be read");
    if (sha.Final() != part.sha256)
      return Damaged(std::string(carried::kPartFiles[i]) + " is not what was packed");
    if (!out) continue;
    // Read later by name: held from now on, and checked again once held, so
    // that what is read is what was checked.
    out.Reset();
    std::array<uint8_t, 32> written{};
    heldParts_[i] = HoldFile(folder_ + carried::kPartFiles[i], written);
    if (!heldParts_[i] || written != part.sha256)
      return Damaged(std::string(carried::kPartFiles[i]) + " changed after it was written");
  }
  place_.script = folder_ + "setup.ini";
  place_.licence = trailer.parts[carried::kLicence].Present() ? folder_ + "license.txt" : "";
  place_.archive = {program, trailer.parts[carried::kArchive].offset,
                    trailer.parts[carried::kArchive].size};
  place_.program = program;
  place_.programSize = trailer.programSize;
  place_.carried = true;
  return Found::Ready;
}

OwnedHandle HoldFile(const std::string& path, std::array<uint8_t, 32>& digest) {
  OwnedHandle held(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!held || !GetFileSizeEx(held.Get(), &size)) return OwnedHandle();
  Sha256 sha;
  if (!ReadRange(held.Get(), 0, static_cast<uint64_t>(size.QuadPart), &sha,
                 [](const char*, DWORD) { return true; }))
    return OwnedHandle();
  digest = sha.Final();
  return held;
}

bool CopyFileRange(const std::string& from, uint64_t offset, uint64_t size, const std::string& to,
                   std::array<uint8_t, 32>* digest) {
  OwnedHandle in(CreateFileW(LongPath(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER total{};
  if (!in || !GetFileSizeEx(in.Get(), &total)) return false;
  if (size == UINT64_MAX) size = static_cast<uint64_t>(total.QuadPart) - offset;
  OwnedHandle out(CreateFileW(LongPath(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return false;
  Sha256 sha;
  const bool copied = ReadRange(in.Get(), offset, size, &sha, [&](const char* data, DWORD n) {
    DWORD written = 0;
    return WriteFile(out.Get(), data, n, &written, nullptr) && written == n;
  });
  if (copied && digest) *digest = sha.Final();
  if (!copied) {
    out.Reset();
    DeleteFileAt(to);
  }
  return copied;
}

bool CopyBareProgram(const std::string& from, uint64_t size, const std::string& to) {
  if (size == UINT64_MAX) return CopyFileTo(from, to);
  // An earlier installation's uninstaller is replaced.
  if (FileExists(to) && !DeleteFileAt(to)) return false;
  if (!CopyFileRange(from, 0, size, to)) return false;
  // The whole file's signature is not this copy's: its entry goes, and the
  // checksum signing wrote.
  std::string head(carried::kHeadBytes, '\0');
  {
    OwnedHandle copy(CreateFileW(LongPath(to).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    DWORD read = 0;
    if (!copy ||
        !ReadFile(copy.Get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr))
      return false;
    head.resize(read);
  }
  const carried::PeLayout pe = carried::ReadPeLayout(head, size);
  if (pe.certificateOffset == 0 && pe.certificateSize == 0) return true;
  OwnedHandle out(CreateFileW(LongPath(to).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  const char zeros[8] = {};
  for (const auto& [offset, n] : {std::pair{pe.checksumOffset, 4}, {pe.securityEntryOffset, 8}}) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    DWORD written = 0;
    if (!out || !offset || !WriteFile(out.Get(), zeros, n, &written, &at) ||
        written != static_cast<DWORD>(n))
      return false;
  }
  return true;
}
