// check: reads a package as setup.exe will (the same script reader, record
// and number rules) and reports what would break or spoil an installation.
// Portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "packager/install_names.hpp"
#include "packager/report.hpp"

namespace qpack {

struct CheckOptions {
  // What the default paths become on the end user's machine, for the
  // unzip tool's command-line limit. A 32-bit setup on 64-bit Windows sees
  // the longer program-files path; a package run from a download folder.
  std::string programFiles = kProgramFiles;
  std::string windowsDir = "C:\\Windows";
  std::string archive = kDownloadArchive;
  // Verifies setup.exe's signature when it has one; appends its findings
  // and answers false for a signature that does not verify. Unset: no
  // signature check.
  std::function<bool(const std::string& dir, std::vector<std::string>& problems)> verifySignature;
};

// Adds every problem of the package in dir to report.
void CheckPackage(const std::string& dir, const CheckOptions& options, Report& report);

}  // namespace qpack
