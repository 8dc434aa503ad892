// A starting setup.ini for the files of a folder. Portable.
#pragma once

#include <string>
#include <vector>

#include "packager/folder.hpp"

namespace qpack {

// The extra character written after every FILES value.
constexpr char kFilesValueEnd = '*';

// name when given; else the name of the only program (.exe) at the folder's
// top, since setup launches AppName.exe at the end; else the folder's name.
std::string ChooseAppName(const std::string& folder, const std::vector<FolderFile>& files,
                          const std::string& name);

// The script: AppName, InstPath "<program files>\AppName", FolderName,
// DiskSpace from the sizes (each rounded up to 4 KiB), one group per
// subfolder, one FILES entry per file (AppName.exe first, with the shortcut
// that the desktop option copies). Throws std::runtime_error for two files
// of one name (letter case aside) with different content: setup.dat holds
// members by name only.
std::string MakeScript(const std::string& folder, const std::string& appName,
                       const std::vector<FolderFile>& files);

}  // namespace qpack
