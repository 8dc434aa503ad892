// Texts for YAML files: scalars quoted when they need it, and script texts
// turned into UTF-8. Portable.
#pragma once

#include <string>

// s (UTF-8) as a YAML scalar: plain when it cannot be read as anything but
// that string, double-quoted with escapes otherwise (numbers such as 1.10,
// yes/no/null, leading symbols, ": ", " #", control characters).
std::string YamlScalar(const std::string& s);

// Script texts are read by setup.exe in the Windows ANSI code page; for a
// western system that is Windows-1252. A file that starts with a UTF-8 byte
// order mark is UTF-8 already.
std::string Windows1252ToUtf8(const std::string& s);

// The number of Unicode characters in UTF-8 text (continuation bytes are not
// counted), for the schema's length limits.
size_t Utf8Length(const std::string& s);
