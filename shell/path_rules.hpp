// Path arithmetic on Windows paths as plain text. Portable.
#pragma once

#include <string>

// Everything up to and including the last "\" or ":"; empty without one.
std::string DirectoryPart(const std::string& path);
// The directory that holds a file, for removing once it is empty: the path
// cut before its last "\". Empty where that would be no directory of its
// own: no "\" at all, a drive ("C:" of "C:\x", which would mean that drive's
// current directory) or the share of a UNC path ("\\server\share").
std::string ContainingDirectory(const std::string& filePath);
// "\\x": a file at the root of no drive in particular, whichever is current.
bool IsRootFileOfNoDrive(const std::string& path);
// A directory on the same volume as dir but outside it (its parent), where
// a running program's file can wait for deletion without keeping dir
// alive. Empty for a drive or share root, which has no parent.
std::string ParentOnSameVolume(const std::string& dir);
