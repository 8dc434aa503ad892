// What the Setup button checks before installing: the space the
// installation needs, the drive it is measured on, the message. Portable.
#pragma once

#include <cstdint>
#include <string>

constexpr int64_t kSpaceMargin = 102400;
constexpr int64_t kDefaultDiskSpace = 5000000;

// DiskSpace as a number (decimal with an optional sign, or "$" hexadecimal,
// after optional blanks), in 64 bits; kDefaultDiskSpace when it is not one.
// Plus the margin, held at the 64-bit limit.
int64_t RequiredSpace(const std::string& diskSpace);
// Bytes to kilobytes, to the nearest, a half to the even neighbour.
int64_t KiloBytes(int64_t bytes);
// The root measured for a path: "\" for one that starts with a backslash,
// else its first character in upper case followed by ":\".
std::string DriveRoot(const std::string& path);
std::string NotEnoughSpaceMessage(int64_t required);
