// setup.dat through zlib's minizip: written so that the same input gives
// the same bytes, and read back member by member. Portable.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qpack {

struct ZipSource {
  std::string member;  // the name inside the archive
  std::string path;    // the file that gives its bytes
};

// Writes the members in the given order, deflated at level 9, each dated
// 1980-01-01 00:00 and without extra fields or comments, so that nothing of
// the machine or the moment gets in. The archive appears under path only
// when complete. Throws std::runtime_error naming the file that failed.
void WriteZip(const std::string& path, const std::vector<ZipSource>& members);

struct ZipMember {
  std::string name;
  uint64_t size = 0;        // unpacked, as declared
  int method = 0;           // 0 stored, 8 deflated, anything else unknown to the tool
  bool intact = false;      // read through to its declared size with the right CRC
  bool unverified = false;  // not read through: beyond what the check reads
  std::string problem;      // why it is not intact
};

// Every member, in archive order. The data of each member is read once, in
// constant memory; a member whose data overlaps another's, lies beyond the
// archive's end or declares more than deflate can make of it is not read
// at all but called damaged; and members are read through only up to 100
// times the archive's size in all (at least 1 GiB), so the work is bounded
// by the archive's size. The rest are marked unverified. Throws std::runtime_error when path
// is no readable ZIP archive.
std::vector<ZipMember> ReadZip(const std::string& path);

// Every member's name and the upper-case hex SHA-256 of its contents, for
// comparing an archive with the files it should hold. Throws
// std::runtime_error for no readable ZIP archive or a member that cannot be
// read.
std::map<std::string, std::string> ZipMemberHashes(const std::string& path);

}  // namespace qpack
