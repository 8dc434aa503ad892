// setup.dat read in-process with minizip: the fast road's extractor. It
// reads a whole file or a range of one, finds members by name without
// regard to ASCII letter case (as the unzip tool's -C does; where two match,
// the later one, which the tool would leave), and writes one member into a
// new file, checking its CRC and size.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/file_sums.hpp"

// Where setup.dat lies: a file of its own, or a range of a file (inside a
// single setup file).
struct ArchivePlace {
  std::string path;
  uint64_t offset = 0;
  uint64_t size = UINT64_MAX;  // to the file's end
  bool WholeFile() const { return offset == 0 && size == UINT64_MAX; }
};

class ZipReader {
 public:
  // The unzip tool's own codes for what goes wrong with the archive, so
  // that both roads say the same; writing problems give the system's code.
  static constexpr unsigned long kDamaged = 2;     // CRC, inflate or size error
  static constexpr unsigned long kUnreadable = 9;  // no ZIP archive, or cut short
  static constexpr unsigned long kNoMember = 11;   // no member of that name

  ZipReader();
  ~ZipReader();
  ZipReader(ZipReader&&) noexcept;
  ZipReader& operator=(ZipReader&&) noexcept;

  // Opens path, or size bytes of it from offset (the whole file by
  // default), and indexes its members. False when it is no readable ZIP.
  bool Open(const std::string& path, uint64_t offset = 0, uint64_t size = UINT64_MAX);
  bool IsOpen() const;

  // Writes member into out (an open, empty file; its write time becomes the
  // member's) and gives the member's own spelling of its name in
  // storedName. 0 on success; otherwise what was written is of no use and
  // the code says why: kNoMember, kDamaged, kUnreadable, ERROR_CANCELLED
  // when keepGoing (asked every megabyte) says no, or the system's code of
  // a failed write. With sum, the size and SHA-256 of what was written go
  // there: no second read of the file.
  unsigned long Extract(const std::string& member, void* out, std::string& storedName,
                        const std::function<bool()>& keepGoing = nullptr, TFileSum* sum = nullptr);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
