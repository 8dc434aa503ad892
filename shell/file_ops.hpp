// File-system helpers shared by the wizard and the installation.
#pragma once

#include <cstdint>
#include <string>

// A file (not a directory) exists at path.
bool FileExists(const std::string& path);
// Anything exists at path, a directory too.
bool PathExists(const std::string& path);
// The file's size in bytes, or -1 when there is no such file.
int64_t FileSize(const std::string& path);
// Deletes dir with everything in it, read-only files included; links to
// other directories are removed, never followed. True when dir is gone.
bool RemoveTree(const std::string& dir);
bool DirectoryExists(const std::string& path);
// Creates path with every missing parent; a trailing backslash is ignored.
// True when the directory exists afterwards.
bool ForceDirectories(const std::string& path);

// The system's file calls on UTF-8 paths of any length; each is true on
// success and leaves the system's error code otherwise.
bool DeleteFileAt(const std::string& path);
bool RemoveDirectoryAt(const std::string& path);                  // only an empty one
bool CopyFileTo(const std::string& from, const std::string& to);  // replaces
bool MoveFileTo(const std::string& from, const std::string& to, unsigned long flags);
bool SetAttributes(const std::string& path, unsigned long attributes);
bool SetCurrentDirectoryTo(const std::string& path);
// A whole file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Writes a whole file, replacing one of that name; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// This program's own file, the temporary directory (ending in "\").
std::string ModulePath();
std::string TempDirectory();

// The system's text for an error code, without its line end.
std::string SystemMessage(unsigned long code);
// A folder of the program's own in the temporary folder, one that did not
// exist ("qvsetup-" and eight hex digits), with a trailing backslash; empty
// when none can be made.
std::string FreshTempFolder();
// Removes what runs that were ended from outside left in the temporary
// folder: qvsetup-* folders untouched for a minute or more. A running setup holds
// every file in its folders, so nothing of its own goes.
void RemoveStaleTempFolders();
