// Where the program's text meets the system's: inside, text is UTF-8 in
// std::string; the system takes UTF-16. This pair of conversions is the one
// place that converts, with the ANSI code page for the few narrow
// boundaries that remain (setup.log without a mark, the unzip tool's
// command line, scripts and logs of earlier programs).
#pragma once

#include <string>

// UTF-8 to UTF-16 and back.
std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// False when wide holds half a surrogate pair, which no UTF-8 can carry:
// Narrow would give U+FFFD in its place.
bool IsWholeUtf16(const std::wstring& wide);

// utf8 in the ANSI code page, when every character has its exact form
// there (no best fit, no "?"); false otherwise.
bool ToAnsiExactly(const std::string& utf8, std::string& ansi);
// Text in the ANSI (or the OEM) code page, as UTF-8.
std::string FromAnsi(const std::string& ansi);
std::string FromOem(const std::string& oem);

// The full path of path in the form that passes the system's 260-character
// limit ("\\?\C:\..." or "\\?\UNC\server\share\..."); relative paths are
// taken from the current directory, as any call would.
std::wstring LongPath(const std::string& path);
// One spelling for one folder or file: full, long names for 8.3 ones, no
// trailing backslash; path itself when the system cannot make one.
std::string CanonicalPath(const std::string& path);
