// Text encodings a script, a log or an archive may come in, turned into the
// program's UTF-8. Portable: the native tools read what setup reads.
#pragma once

#include <string>

// Windows-1252, the ANSI code page of Western Windows, as UTF-8 (the five
// unassigned bytes keep their C1 code points, as Windows maps them).
std::string Windows1252ToUtf8(const std::string& s);
// UTF-16 little-endian bytes (no mark) as UTF-8; a lone surrogate becomes
// U+FFFD.
std::string Utf16LeToUtf8(const std::string& bytes);
bool IsValidUtf8(const std::string& s);
void AppendUtf8(std::string& out, unsigned long codePoint);
