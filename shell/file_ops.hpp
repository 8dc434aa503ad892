// File-system helpers shared by the wizard and the installation.
#pragma once

#include <cstdint>
#include <string>

// A file (not a directory) exists at path.
bool FileExists(const std::string& path);
// The file's size in bytes, or -1 when there is no such file.
int64_t FileSize(const std::string& path);
// Deletes dir with everything in it, read-only files included; links to
// other directories are removed, never followed. True when dir is gone.
bool RemoveTree(const std::string& dir);
bool DirectoryExists(const std::string& path);
// Creates path with every missing parent; a trailing backslash is ignored.
// True when the directory exists afterwards.
bool ForceDirectories(const std::string& path);
