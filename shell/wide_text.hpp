// Where the program's text meets the system's UTF-16: the one pair of
// conversions, and the long form of a path.
#pragma once

#include <string>

// The program's text (in the ANSI code page) as UTF-16, and back.
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

// The full path of path in the form that passes the system's 260-character
// limit ("\\?\C:\..." or "\\?\UNC\server\share\..."); relative paths are
// taken from the current directory, as any call would.
std::wstring LongPath(const std::string& path);
