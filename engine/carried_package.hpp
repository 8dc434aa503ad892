// The package a single setup file carries inside itself. qpack writes it,
// setup.exe reads it; this header is the one description of the format.
//
// The file, front to back:
//   the program        the PE image as built (its sections, nothing after)
//   the parts          setup.ini, setup.dat, license.txt, in that order, each
//                      one's bytes as the four-file package holds them
//   padding            zero bytes, so that the trailer ends on a multiple of 8
//   the trailer        kTrailerSize bytes, laid out below
//   (the signature)    Authenticode's certificate table, once signed
//
// The trailer ends where the file ends or, in a signed file, where the
// certificate table begins. Authenticode's digest covers everything before
// the table, so a signature vouches for the parts as well.
//
// Trailer layout (all numbers little-endian):
//   offset  size  field
//   0       8     kMagic: "QVSETUP" and a 0 byte
//   8       4     format version, kFormatVersion
//   12      4     trailer size in bytes, kTrailerSize
//   16      8     program size: bytes of the bare program at the front,
//                 which must be where the PE image ends
//   24      32    SHA-256 of the bare program, with its header's checksum
//                 and security directory entry read as zeros (signing
//                 rewrites both)
//   56      48×3  one entry per part, in the order of Part:
//                   +0   8   offset of the part's first byte in the file
//                   +8   8   the part's size in bytes
//                   +16  32  SHA-256 of the part's bytes
//                 a part the package lacks (license.txt) has offset and
//                 size 0 and a zero hash
//   200     8     kEndMagic: "QVPKGEND"
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace carried {

enum Part { kScript = 0, kArchive = 1, kLicence = 2, kPartCount = 3 };
// The part's file name in the four-file package.
extern const char* const kPartFiles[kPartCount];

constexpr char kMagic[8] = {'Q', 'V', 'S', 'E', 'T', 'U', 'P', '\0'};
constexpr char kEndMagic[8] = {'Q', 'V', 'P', 'K', 'G', 'E', 'N', 'D'};
constexpr uint32_t kFormatVersion = 1;
constexpr uint32_t kTrailerSize = 208;

struct PartPlace {
  uint64_t offset = 0;
  uint64_t size = 0;
  std::array<uint8_t, 32> sha256{};
  bool Present() const { return offset != 0; }
};

struct Trailer {
  uint64_t programSize = 0;
  std::array<uint8_t, 32> programSha256{};
  PartPlace parts[kPartCount];
  // Where the last part ends (not stored: the padding, zero bytes, lies
  // from here to the trailer).
  uint64_t partsEnd = 0;
};

std::string EncodeTrailer(const Trailer& trailer);
// Reads kTrailerSize bytes that end at trailerEnd in the file whose image
// ends at imageEnd. Returns false when they are no trailer of ours (a bare
// program); sets problem when they are one whose places do not fit (a
// program size other than the image's, parts outside the file, overlapping,
// out of order or apart, or more than padding before the trailer): a
// damaged file.
bool DecodeTrailer(const std::string& bytes, uint64_t trailerEnd, uint64_t imageEnd,
                   Trailer& trailer, std::string& problem);

// What the PE headers at the front of a file say, for finding the trailer.
struct PeLayout {
  bool valid = false;
  uint16_t machine = 0;   // the header's machine: 0x14C x86, 0x8664 x64
  uint64_t imageEnd = 0;  // end of the last section's raw data
  // The certificate table (file offset and size), 0 when unsigned; it fits
  // when it lies after the image and within the file.
  uint64_t certificateOffset = 0, certificateSize = 0;
  bool certificateFits = true;
  // Bytes follow the certificate table (beyond its padding to 8): no
  // signature covers them.
  bool bytesAfterCertificate = false;
  // Where the security directory's entry and the header's checksum lie in
  // the file, to clear them.
  uint64_t securityEntryOffset = 0, checksumOffset = 0;
};
// head is the file's first bytes (4 KiB hold the headers of any program of
// ours); fileSize its whole size.
PeLayout ReadPeLayout(const std::string& head, uint64_t fileSize);
// Where the trailer must end: the certificate table's start when the file is
// signed, else its end.
uint64_t TrailerEnd(const PeLayout& pe, uint64_t fileSize);

constexpr size_t kHeadBytes = 4096;

// The bare program's digest as the trailer holds it: image is the program's
// bytes, pe what its headers say.
std::array<uint8_t, 32> ProgramDigest(std::string image, const PeLayout& pe);

}  // namespace carried
