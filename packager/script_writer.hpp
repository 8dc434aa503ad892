// A starting setup.ini for the files of a folder. Portable.
#pragma once

#include <string>
#include <vector>

#include "packager/folder.hpp"

namespace qpack {

// The extra character written after every FILES value.
constexpr char kFilesValueEnd = '*';

// The files that setup can install as they are named; the others are
// added to skipped: setup's own setup.exe and setup.log at the top, names
// Windows allows for no file, a leading blank, a second path that differs
// only in letter case.
std::vector<FolderFile> Installable(const std::vector<FolderFile>& files,
                                    std::vector<Skipped>& skipped);

// name when given; else the name of the only program (.exe) at the folder's
// top; else the folder's name.
std::string ChooseAppName(const std::string& folder, const std::vector<FolderFile>& files,
                          const std::string& name);

// The program setup starts at the end, as a path below the folder with "/":
// program when given (it must be one of files; throws std::runtime_error
// otherwise), else the only .exe anywhere in the folder, else empty (which
// cannot be told).
std::string ChooseProgram(const std::vector<FolderFile>& files, const std::string& program);

// The script: AppName, InstPath "<program files>\AppName", FolderName,
// DiskSpace from the sizes (each rounded up to 4 KiB), Program, one FILES
// entry per file, named by its path below the folder and installed into
// the installation path (the program first, with the shortcut that the
// desktop option copies), and FastInstall=1 where the paced road's unzip
// tool could not take some name. files are Installable ones; a file whose
// path would be too long below the default installation path is left out,
// and named in skipped. The script is UTF-8 with a byte order mark where it
// holds more than ASCII, plain ASCII otherwise.
std::string MakeScript(const std::string& appName, const std::string& program,
                       const std::vector<FolderFile>& files, std::vector<Skipped>& skipped);

}  // namespace qpack
