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

std::string FormatProblem(const Problem& p) {
  std::string s = p.file + ":";
  if (p.line > 0) s += std::to_string(p.line) + ":";
  if (!p.key.empty()) s += " " + p.key + ":";
  return s + (p.severity == Severity::Error ? " error: " : " warning: ") + p.text;
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
