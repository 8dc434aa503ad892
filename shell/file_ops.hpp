// File-system helpers shared by the wizard and the installation.
#pragma once

#include <string>

bool DirectoryExists(const std::string& path);
// Creates path with every missing parent; a trailing backslash is ignored.
// True when the directory exists afterwards.
bool ForceDirectories(const std::string& path);
