// Text encodings.
#include "engine/text_codes.hpp"

#include <cstdint>

void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Windows1252ToUtf8(const std::string& s) {
  static const uint16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  for (unsigned char c : s) AppendUtf8(out, c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c);
  return out;
}

namespace {

constexpr uint16_t kOem850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

// With halves, it is set when a lone surrogate became U+FFFD.
std::string Utf16ToUtf8(const std::string& bytes, bool bigEndian, bool* halves = nullptr) {
  std::string out;
  const auto unit = [&](size_t i) {
    const unsigned a = static_cast<unsigned char>(bytes[i]);
    const unsigned b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? a << 8 | b : b << 8 | a;
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned long cp = unit(i);
    if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
      if (halves) *halves = true;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

// One code point from s at i, strictly: no overlong forms, no surrogates,
// nothing beyond U+10FFFF. False leaves i where it was.
bool DecodeUtf8(const std::string& s, size_t& i, unsigned long& cp) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return false;
  static const unsigned long kMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  static const unsigned long kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
  unsigned long value = c & kMask[n];
  for (size_t k = 1; k < n; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return false;
    value = value << 6 | (t & 0x3F);
  }
  if (value < kLeast[n] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) return false;
  cp = value;
  i += n;
  return true;
}

struct CaseRun {
  unsigned short first, last, step;
  int delta;
};

constexpr CaseRun kCaseRuns[] = {
#include "engine/case_table.inc"
};

unsigned long UpperCase(unsigned long cp) {
  if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
  if (cp > 0xFFFF) return cp;
  // The runs are sorted and do not overlap: the last that starts at or
  // before cp is the only one that can hold it.
  size_t lo = 0, hi = sizeof kCaseRuns / sizeof kCaseRuns[0];
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (kCaseRuns[mid].first <= cp)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == 0) return cp;
  const CaseRun& r = kCaseRuns[lo - 1];
  return cp <= r.last && (cp - r.first) % r.step == 0 ? cp + r.delta : cp;
}

}  // namespace

std::string Utf16LeToUtf8(const std::string& bytes) { return Utf16ToUtf8(bytes, false); }
std::string Utf16BeToUtf8(const std::string& bytes) { return Utf16ToUtf8(bytes, true); }

bool IsValidUtf8(const std::string& s) {
  unsigned long cp = 0;
  for (size_t i = 0; i < s.size();)
    if (!DecodeUtf8(s, i, cp)) return false;
  return true;
}

size_t Utf16Length(const std::string& utf8) {
  size_t units = 0;
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) != 0x80) ++units;  // a lead byte or ASCII
    if (b >= 0xF0) ++units;           // four bytes: a surrogate pair
  }
  return units;
}

std::string FoldCase(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned long cp = 0;
    if (DecodeUtf8(s, i, cp)) {
      AppendUtf8(out, UpperCase(cp));
    } else {
      out += s[i++];  // a stray byte stays itself
    }
  }
  return out;
}

bool DecodeMarkedText(const std::string& bytes, std::string& utf8) {
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    utf8 = bytes.substr(3);
  else if (bytes.compare(0, 2, "\xFF\xFE") == 0)
    utf8 = Utf16LeToUtf8(bytes.substr(2));
  else if (bytes.compare(0, 2, "\xFE\xFF") == 0)
    utf8 = Utf16BeToUtf8(bytes.substr(2));
  else
    return false;
  return true;
}

std::string MarkedTextProblem(const std::string& bytes) {
  std::string text;
  if (!DecodeMarkedText(bytes, text)) return "";
  const bool utf16 = bytes[0] != '\xEF';
  if (!utf16 && !IsValidUtf8(text)) return "is not UTF-8 though it starts with a UTF-8 mark";
  if (utf16 && bytes.size() % 2 != 0) return "ends in half a UTF-16 character";
  bool halves = false;
  if (utf16) Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE', &halves);
  if (halves) return "holds half a UTF-16 character";
  if (text.find('\0') != std::string::npos) return "holds a NUL character";
  return "";
}

std::string Oem850ToUtf8(const std::string& s) {
  std::string out;
  for (unsigned char c : s) AppendUtf8(out, c >= 0x80 ? kOem850High[c - 0x80] : c);
  return out;
}

bool MemberNameIsOem(unsigned versionMadeBy) {
  const unsigned host = versionMadeBy >> 8, version = versionMadeBy & 0xFF;
  return host == 0 || host == 6 || (host == 11 && version == 50);
}
