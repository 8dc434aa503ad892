// Text encodings a script, a log or an archive may come in, turned into the
// program's UTF-8. Portable: the native tools read what setup reads.
#pragma once

#include <string>

// Windows-1252, the ANSI code page of Western Windows, as UTF-8 (the five
// unassigned bytes keep their C1 code points, as Windows maps them).
std::string Windows1252ToUtf8(const std::string& s);
// Code page 850, the OEM code page of Western Windows, as UTF-8.
std::string Oem850ToUtf8(const std::string& s);
// Whether an archive member's name without the UTF-8 flag is in the OEM
// code page rather than the ANSI one, by the "version made by" field: as
// Info-ZIP's UnZip (the carried tool) decides, names from FAT and HPFS, and
// from NTFS by version 5.0 tools, are OEM.
bool MemberNameIsOem(unsigned versionMadeBy);
// UTF-16 little-endian bytes (no mark) as UTF-8; a lone surrogate becomes
// U+FFFD.
std::string Utf16LeToUtf8(const std::string& bytes);
std::string Utf16BeToUtf8(const std::string& bytes);
// Strict: overlong forms, surrogates and code points past U+10FFFF fail.
bool IsValidUtf8(const std::string& s);
// The form two names share when Windows takes them for one file: every
// letter of the Basic Multilingual Plane in its upper case ("łódź" and
// "ŁÓDŹ" fold alike). Bytes that are no UTF-8 stay as they are.
std::string FoldCase(const std::string& s);
// How many UTF-16 units Windows takes for the text (two for a letter beyond
// the Basic Multilingual Plane): what its length limits count.
size_t Utf16Length(const std::string& utf8);
void AppendUtf8(std::string& out, unsigned long codePoint);

// Text after a byte order mark (UTF-8, UTF-16LE or UTF-16BE) as UTF-8; false
// when there is no mark, and the caller reads it in its code page.
bool DecodeMarkedText(const std::string& bytes, std::string& utf8);
// Why text with a mark cannot be read exactly as the mark says (no UTF-8
// after a UTF-8 mark, half a UTF-16 character, a NUL character), or empty.
// Readers would disagree on such text, or bend it: it is refused instead.
std::string MarkedTextProblem(const std::string& bytes);
