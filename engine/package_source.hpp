// Where the package's parts lie: setup.ini, setup.dat and license.txt beside
// the program, or inside it (a single setup file, see carried_package.hpp).
#pragma once

#include <array>

#include <cstdint>
#include <string>

#include "engine/carried_package.hpp"
#include "engine/zip_reader.hpp"
#include "shell/owned.hpp"

struct PackagePlace {
  std::string script;    // setup.ini's file
  std::string licence;   // license.txt; empty when the package has none
  ArchivePlace archive;  // setup.dat
  std::string program;   // this program's file
  // Bytes at the front of program that are the bare program: what is copied
  // as the uninstaller.
  uint64_t programSize = UINT64_MAX;
  bool carried = false;
};

// The four-file package in dir (ending with a backslash).
PackagePlace PlaceBeside(const std::string& dir, const std::string& program);

// The package inside this program, when it carries one. Open verifies every
// part against its hash, then writes setup.ini and license.txt into a fresh
// folder of its own in the temporary folder; setup.dat is read where it lies.
// The program stays open against writes while the object lives, and the
// folder goes with it.
class CarriedPackage {
 public:
  // Unpackable: the file is whole, but its parts cannot be written out
  // (a temporary folder that is full or closed to us).
  enum class Found { None, Ready, Damaged, Unpackable };
  static constexpr const char* kDamagedMessage =
      "The setup file is damaged or incomplete. Download it again.";
  static constexpr const char* kUnpackableMessage =
      "Setup cannot unpack itself into the temporary folder. Free some space there, or set "
      "TEMP to a folder you can write to.";

  CarriedPackage() = default;
  ~CarriedPackage();
  CarriedPackage(const CarriedPackage&) = delete;
  CarriedPackage& operator=(const CarriedPackage&) = delete;

  Found Open(const std::string& program);
  const PackagePlace& Place() const { return place_; }
  // Why a Damaged file is: for the log.
  const std::string& Problem() const { return problem_; }

 private:
  Found Look(const std::string& program);
  Found Damaged(const std::string& why);

  OwnedHandle program_;
  // The parts written out, held read-only to everyone while they are used.
  OwnedHandle heldParts_[carried::kPartCount];
  std::string folder_;
  PackagePlace place_;
  std::string problem_;
};

// Copies size bytes of from (to its end for UINT64_MAX), starting at
// offset, into to, which must not exist yet; false, and no file, when that
// fails.
// With digest, the SHA-256 of the bytes copied goes there.
bool CopyFileRange(const std::string& from, uint64_t offset, uint64_t size, const std::string& to,
                   std::array<uint8_t, 32>* digest = nullptr);
// Opens path for reading, sharing reading alone (nobody may write, rename or
// delete it while the handle is open), and hashes it through that handle.
// An empty handle when it cannot be opened or read.
OwnedHandle HoldFile(const std::string& path, std::array<uint8_t, 32>& digest);
// Copies the first size bytes of from (all of it for UINT64_MAX) to to, as a
// program without the signature the whole file may carry. False when it
// cannot be read or written.
bool CopyBareProgram(const std::string& from, uint64_t size, const std::string& to);
