// The single setup file: the program with the package inside it (the
// format is engine/carried_package.hpp). Portable.
#pragma once

#include <string>

namespace qpack {

// "<AppName>-<Version>-setup.exe", or "<AppName>-setup.exe" without a
// version. Throws PackageError when the version holds characters no file
// name may hold.
std::string SingleFileName(const std::string& appName, const std::string& version);

// Whether path is a program that carries a package, or data after its image
// as a damaged or cut-short one would.
bool CarriesPackage(const std::string& path);
// Whether path carries a package whose description is whole: what build may
// replace as its own earlier output.
bool IsIntactSingleFile(const std::string& path);
// The AppName of the script an intact single file carries; empty for any
// other file.
std::string CarriedAppName(const std::string& path);
// The one file in dir that carries a package, when dir holds no setup.ini
// beside it; empty otherwise.
std::string FindSingleFile(const std::string& dir);

// Writes path (fresh, renamed into place) from program (a bare or signed
// setup.exe: only its image is taken) and the parts of the four-file package
// in packageDir. Throws PackageError or std::runtime_error.
void WriteSingleFile(const std::string& program, const std::string& packageDir,
                     const std::string& path);
// Writes the four files that file carries into dir (setup.exe the bare
// program). Throws PackageError naming what is wrong when a part lies
// outside the file or its hash differs: a damaged or cut-short download.
void UnpackSingleFile(const std::string& file, const std::string& dir);

}  // namespace qpack
