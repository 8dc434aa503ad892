// What the packager requires of the names it installs, so that init writes
// only what check accepts. Portable.
#pragma once

#include <string>

namespace qpack {

// Where a package manager runs setup.exe from: a download folder of about a
// hundred characters, for the unzip tool's command-line limit.
constexpr const char* kDownloadArchive =
    "C:\\Users\\Administrator\\AppData\\Local\\Temp\\WinGet\\"
    "PublisherName.ApplicationName.10.20.3000.0\\extracted\\setup.dat";
constexpr const char* kProgramFiles = "C:\\Program Files (x86)";

// Why a FILES name cannot be installed as written, or empty. A bare name
// must be a file name Windows allows; a name with folders must be a path
// below its group's directory. toolRoad: the carried unzip tool extracts it
// (interactive installs without FastInstall=1), and it takes [ as part of
// a pattern.
std::string NameProblem(const std::string& name, bool toolRoad);

// Longest full path of an installed file that ordinary Windows programs open.
constexpr size_t kMaxInstalledPath = 259;

}  // namespace qpack
