// What check finds: problems with a file, a line, a key and a severity,
// printed one to a line. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qpack {

enum class Severity { Warning, Error };

struct Problem {
  std::string file;  // inside the package: "setup.ini", "setup.dat", ...
  size_t line = 0;   // from 1; 0 where no line applies
  std::string key;   // "FILES Name4", a member's name, or empty
  Severity severity = Severity::Error;
  std::string text;
};

// text fit to print: control characters (C0, DEL, and C1 in UTF-8) and
// bytes that are no UTF-8 as \xNN, so that no name from a package can move
// the cursor or print a line of its own.
std::string Printable(const std::string& text);

// "setup.ini:23: FILES Name4: error: text"; the line and key parts are left
// out where they are empty. Printable throughout.
std::string FormatProblem(const Problem& p);

class Report {
 public:
  void Add(Problem p) { problems_.push_back(std::move(p)); }
  void Error(const std::string& file, size_t line, const std::string& key, const std::string& t) {
    Add({file, line, key, Severity::Error, t});
  }
  void Warning(const std::string& file, size_t line, const std::string& key, const std::string& t) {
    Add({file, line, key, Severity::Warning, t});
  }
  size_t Count(Severity s) const;
  const std::vector<Problem>& Problems() const { return problems_; }
  // Every problem on its own line, in the order of the package's files and
  // their lines, then "N errors, M warnings".
  std::string Text() const;

 private:
  std::vector<Problem> problems_;
};

}  // namespace qpack
