// Printing what check found.
#include "packager/report.hpp"

#include <algorithm>

namespace qpack {

namespace {

int FileRank(const std::string& file) {
  const char* const order[] = {"setup.exe", "setup.ini", "setup.dat", "license.txt"};
  for (int i = 0; i < 4; ++i)
    if (file == order[i]) return i;
  return 4;
}

std::string Plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

std::string Printable(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  const auto escape = [&](unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
  };
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = n > 0 && i + n <= text.size();
    for (size_t k = 1; valid && k < n; ++k)
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    const bool control =
        n == 1 ? (c < 0x20 || c == 0x7F)
               : n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if (!valid || control) {
      for (size_t k = 0; k < (valid ? n : 1); ++k) escape(static_cast<unsigned char>(text[i + k]));
      i += valid ? n : 1;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

std::string FormatProblem(const Problem& p) {
  std::string s = Printable(p.file) + ":";
  if (p.line > 0) s += std::to_string(p.line) + ":";
  if (!p.key.empty()) s += " " + Printable(p.key) + ":";
  return s + (p.severity == Severity::Error ? " error: " : " warning: ") + Printable(p.text);
}

size_t Report::Count(Severity s) const {
  return static_cast<size_t>(std::count_if(problems_.begin(), problems_.end(),
                                           [s](const Problem& p) { return p.severity == s; }));
}

std::string Report::Text() const {
  std::vector<Problem> sorted = problems_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Problem& a, const Problem& b) {
    if (FileRank(a.file) != FileRank(b.file)) return FileRank(a.file) < FileRank(b.file);
    if (a.file != b.file) return a.file < b.file;
    return a.line < b.line;
  });
  std::string s;
  for (const Problem& p : sorted) s += FormatProblem(p) + "\n";
  return s + Plural(Count(Severity::Error), "error") + ", " +
         Plural(Count(Severity::Warning), "warning") + "\n";
}

}  // namespace qpack
