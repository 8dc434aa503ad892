// Names of installed files: a FILES name may hold folders below its group's
// directory ("locale\de\app.mo"), and [MAIN] Program names the program below
// the installation directory. Neither may ever climb out of its directory.
// Portable: setup and the packager apply the same rules.
#pragma once

#include <string>

// A name Windows keeps for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1
// to LPT9, and COM or LPT with a superscript 1, 2 or 3), with any
// extension: no file or folder can be called so.
bool IsDeviceName(const std::string& name);

// A FILES name holds a folder when it has "\", "/" or ":"; without one it
// is a bare file name and takes the road it always did.
bool HasFolderPart(const std::string& name);

// The path name stands for below a directory, with "\" between its parts
// ("/" is read as "\" too). Empty, with why set, when it is no such path:
// empty, a drive, a root, "." or ".." parts, empty parts, characters Windows
// allows in no file name, parts ending in a dot or blank (Windows drops
// them, so the file would land under another name), or device names.
std::string RelativePath(const std::string& name, std::string* why = nullptr);

// setup.dat's member for a relative path: its parts joined with "/".
std::string MemberName(const std::string& relativePath);

// The parent folder of a relative path ("a\b" of "a\b\c.txt"); empty at the top.
std::string RelativeParent(const std::string& relativePath);
