// What the manifest and sign commands need to know of a ready-to-ship
// package directory (setup.exe, setup.ini, setup.dat, maybe license.txt).
// Portable.
#pragma once

#include <stdexcept>
#include <string>

// A fault of the package; the message starts with the file it concerns.
class PackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PackageInfo {
  std::string dir;
  // From setup.ini's MAIN section, as UTF-8. The names match what setup.exe
  // writes into the Uninstall entry (AppName is also that entry's key name).
  std::string AppName, Version, Publisher, URL;
  bool hasLicense = false;  // license.txt: unattended runs need /ACCEPTLICENSE
  bool userScope = false;   // Scope=user: a machine-wide run needs /ALLUSERS
  std::string single;       // the single setup file, when dir holds one instead
  std::string licenseText;  // license.txt as UTF-8 with LF line ends, read as setup reads it
};

// Reads the package as setup.exe will: the script through the program's own
// reader (a single setup file's parts where they lie inside it). Throws
// PackageError when setup.exe, setup.ini or setup.dat is missing, a single
// file is damaged, or the script has no valid AppName.
PackageInfo ReadPackageInfo(const std::string& dir);

// dir joined with a file name.
std::string PackageFile(const std::string& dir, const std::string& name);
