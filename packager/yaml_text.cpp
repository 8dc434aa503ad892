// YAML scalars and script-text conversion.
#include "packager/yaml_text.hpp"

#include <cstdint>
#include <stdexcept>

#include "packager/report.hpp"

namespace {

// Characters a plain scalar may hold anywhere. Deliberately narrow: anything
// else is quoted, which every YAML reader takes as a string.
bool IsPlainChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
         c == '.' || c == '_' || c == '-' || c == '(' || c == ')' || c == '+' || c == ',' ||
         c >= 0x80;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Words that YAML 1.1 readers turn into booleans or null.
bool IsSpecialWord(const std::string& s) {
  static const char* const kWords[] = {"y",   "n",    "yes",   "no",   "on",
                                       "off", "true", "false", "null", "~"};
  const std::string low = Lower(s);
  for (const char* w : kWords)
    if (low == w) return true;
  return false;
}

// Length of the UTF-8 sequence at s[i] and its code point; 0 where the
// bytes are no (shortest, non-surrogate) UTF-8.
size_t DecodeUtf8(const std::string& s, size_t i, uint32_t& cp) {
  const auto c = static_cast<unsigned char>(s[i]);
  const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  cp = n == 1 ? c : c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const auto d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (d & 0x3F);
  }
  static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

// Code points a YAML reader would not keep as they are in a quoted string:
// controls, and the separators that YAML 1.1 reads as line breaks.
bool MustEscape(uint32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp == 0x2028 || cp == 0x2029 || cp == 0xFEFF ||
         cp == 0xFFFE || cp == 0xFFFF;
}

bool NeedsQuotes(const std::string& s) {
  if (s.empty() || IsSpecialWord(s)) return true;
  const unsigned char first = static_cast<unsigned char>(s[0]);
  // Must start with a letter: digits could read as numbers, dates or times.
  if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first >= 0x80))
    return true;
  if (s.back() == ' ') return true;
  for (unsigned char c : s)
    if (!IsPlainChar(c)) return true;
  // C1 controls, line and paragraph separators and the byte order mark hide
  // behind bytes >= 0x80; so does what is no UTF-8 at all.
  for (size_t i = 0; i < s.size();) {
    uint32_t cp = 0;
    const size_t n = DecodeUtf8(s, i, cp);
    if (n == 0 || MustEscape(cp)) return true;
    i += n;
  }
  return false;
}

}  // namespace

std::string YamlScalar(const std::string& s) {
  if (!NeedsQuotes(s)) return s;
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    uint32_t cp = 0;
    const size_t n = DecodeUtf8(s, i, cp);
    if (n == 0)
      throw std::runtime_error("a text for the manifest is not UTF-8: " + qpack::Printable(s));
    if (cp == '"' || cp == '\\') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (MustEscape(cp)) {
      out += cp < 0x100 ? "\\x" : "\\u";
      for (int shift = cp < 0x100 ? 4 : 12; shift >= 0; shift -= 4)
        out += kDigits[(cp >> shift) & 15];
    } else {
      out.append(s, i, n);
    }
    i += n;
  }
  return out + "\"";
}

size_t Utf8Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}
