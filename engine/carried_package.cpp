// The single setup file's trailer and the PE facts needed to find it.
#include "engine/carried_package.hpp"

#include <cstring>

#include "engine/sha256.hpp"

namespace carried {

const char* const kPartFiles[kPartCount] = {"setup.ini", "setup.dat", "license.txt"};

namespace {

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t Get(const std::string& in, size_t at, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | static_cast<uint8_t>(in[at + static_cast<size_t>(i)]);
  return value;
}

constexpr size_t kProgramHashAt = 24, kPartsAt = 56, kEntrySize = 48;

}  // namespace

std::string EncodeTrailer(const Trailer& trailer) {
  std::string out(kMagic, sizeof kMagic);
  Put(out, kFormatVersion, 4);
  Put(out, kTrailerSize, 4);
  Put(out, trailer.programSize, 8);
  out.append(reinterpret_cast<const char*>(trailer.programSha256.data()),
             trailer.programSha256.size());
  for (const PartPlace& p : trailer.parts) {
    Put(out, p.offset, 8);
    Put(out, p.size, 8);
    out.append(reinterpret_cast<const char*>(p.sha256.data()), p.sha256.size());
  }
  out.append(kEndMagic, sizeof kEndMagic);
  return out;
}

bool DecodeTrailer(const std::string& bytes, uint64_t trailerEnd, uint64_t imageEnd,
                   Trailer& trailer, std::string& problem) {
  problem.clear();
  if (bytes.size() != kTrailerSize || trailerEnd < kTrailerSize ||
      std::memcmp(bytes.data() + kTrailerSize - 8, kEndMagic, 8) != 0 ||
      std::memcmp(bytes.data(), kMagic, 8) != 0)
    return false;
  if (Get(bytes, 8, 4) != kFormatVersion || Get(bytes, 12, 4) != kTrailerSize) {
    problem = "a package format this program does not know";
    return true;
  }
  trailer.programSize = Get(bytes, 16, 8);
  std::memcpy(trailer.programSha256.data(), bytes.data() + kProgramHashAt,
              trailer.programSha256.size());
  // Each part starts where the one before ended, none reaches into the
  // trailer, and only the padding lies between the last and the trailer.
  uint64_t next = trailer.programSize;
  const uint64_t trailerStart = trailerEnd - kTrailerSize;
  if (next != imageEnd || next > trailerStart) problem = "the program's size is not its image's";
  for (int i = 0; i < kPartCount && problem.empty(); ++i) {
    PartPlace& p = trailer.parts[i];
    const size_t at = kPartsAt + kEntrySize * static_cast<size_t>(i);
    p.offset = Get(bytes, at, 8);
    p.size = Get(bytes, at + 8, 8);
    std::memcpy(p.sha256.data(), bytes.data() + at + 16, p.sha256.size());
    if (!p.Present()) {
      if (p.size != 0 || i != kLicence) problem = std::string(kPartFiles[i]) + " is missing";
      continue;
    }
    if (p.offset != next || p.offset > trailerStart || p.size > trailerStart - p.offset)
      problem = std::string(kPartFiles[i]) + " lies outside its place";
    else
      next = p.offset + p.size;
  }
  trailer.partsEnd = next;
  if (problem.empty() && trailerStart - next >= 8)
    problem = "bytes of no part lie before the package's description";
  return true;
}

PeLayout ReadPeLayout(const std::string& head, uint64_t fileSize) {
  PeLayout pe;
  if (head.size() < 64 || head[0] != 'M' || head[1] != 'Z') return pe;
  const uint64_t peAt = Get(head, 0x3C, 4);
  if (peAt + 24 > head.size() || head.compare(peAt, 4, std::string("PE\0\0", 4)) != 0) return pe;
  pe.machine = static_cast<uint16_t>(Get(head, peAt + 4, 2));
  const uint64_t sections = Get(head, peAt + 6, 2);
  const uint64_t optionalSize = Get(head, peAt + 20, 2);
  const uint64_t optionalAt = peAt + 24;
  if (optionalAt + optionalSize > head.size() || optionalSize < 2) return pe;
  const uint64_t magic = Get(head, optionalAt, 2);
  // The data directories follow the fixed fields, which PE32+ makes longer.
  const uint64_t directories = optionalAt + (magic == 0x20B ? 112 : 96);
  const uint64_t security = directories + 4 * 8;  // entry 4
  if ((magic != 0x10B && magic != 0x20B) || security + 8 > optionalAt + optionalSize) return pe;
  // Fewer than five directories: no security entry at all.
  if (Get(head, directories - 4, 4) < 5) return pe;
  pe.securityEntryOffset = security;
  pe.checksumOffset = optionalAt + 64;
  pe.certificateOffset = Get(head, security, 4);
  pe.certificateSize = Get(head, security + 4, 4);
  const uint64_t table = optionalAt + optionalSize;
  if (table + 40 * sections > head.size()) return pe;
  for (uint64_t s = 0; s < sections; ++s) {
    const uint64_t at = table + 40 * s;
    const uint64_t end = Get(head, at + 20, 4) + Get(head, at + 16, 4);
    if (end > pe.imageEnd) pe.imageEnd = end;
  }
  pe.certificateFits =
      pe.certificateOffset == 0 || (pe.certificateOffset >= pe.imageEnd &&
                                    pe.certificateOffset + pe.certificateSize <= fileSize);
  const uint64_t certificateEnd = pe.certificateOffset + pe.certificateSize;
  pe.bytesAfterCertificate =
      pe.certificateOffset != 0 && pe.certificateFits && (certificateEnd + 7) / 8 * 8 < fileSize;
  pe.valid = pe.imageEnd > 0 && pe.imageEnd <= fileSize;
  return pe;
}

uint64_t TrailerEnd(const PeLayout& pe, uint64_t fileSize) {
  return pe.certificateOffset != 0 && pe.certificateFits ? pe.certificateOffset : fileSize;
}

std::array<uint8_t, 32> ProgramDigest(std::string image, const PeLayout& pe) {
  for (const auto& [at, n] : {std::pair{pe.checksumOffset, 4}, {pe.securityEntryOffset, 8}})
    if (at && at + n <= image.size()) image.replace(at, n, n, '\0');
  Sha256 sha;
  sha.Update(image.data(), image.size());
  return sha.Final();
}

}  // namespace carried
