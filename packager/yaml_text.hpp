// Texts for YAML files: scalars quoted when they need it. Portable.
#pragma once

#include <string>

// s (UTF-8) as a YAML scalar: plain when it cannot be read as anything but
// that string, double-quoted with escapes otherwise (numbers such as 1.10,
// yes/no/null, leading symbols, ": ", " #", control characters, line and
// paragraph separators). Throws std::runtime_error when s is no UTF-8.
std::string YamlScalar(const std::string& s);

// The number of Unicode characters in UTF-8 text (continuation bytes are not
// counted), for the schema's length limits.
size_t Utf8Length(const std::string& s);
