// An INI reader that answers as Windows' private-profile calls do, for host
// tools and native tests: a script with a UTF-8 or UTF-16 byte order mark
// is Unicode, one without is in the ANSI code page (taken as Windows-1252).
// Answers are UTF-8. Portable.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "engine/setup_rec.hpp"

class TIniFile : public TProfileSource {
 public:
  // The buffer the setup program reads values with.
  static constexpr size_t kValueBuffer = 1024;

  enum class Encoding { Ansi, Utf8, Utf16 };

  explicit TIniFile(const std::string& bytes);
  Encoding TextEncoding() const { return encoding_; }
  // A script without a mark that holds bytes above 127: read in a code page
  // that the end user's machine may not share.
  bool AnsiAbove127() const { return above127_; }
  std::string TextProblem() const override { return textProblem_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) override;
  // What a lookup answers for a stored value (or a default): without its
  // quotes, cut to the value buffer, as the profile calls answer.
  static std::string Answer(const std::string& stored);
  std::vector<std::string> ReadKeys(const std::string& section) override;

  // Where answers come from, for messages about a script; lines count from
  // 1 and 0 means nowhere. The lines of every entry of key in section, the
  // first being the one ReadString answers with.
  std::vector<size_t> LinesOf(const std::string& section, const std::string& key) const;
  size_t SectionLine(const std::string& section) const;

 private:
  struct Entry {
    std::string key;    // trimmed text before the first "="
    std::string value;  // trimmed text after it
    bool hasValue;      // the line had an "="
    size_t line;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    size_t line;
    // Lower-cased key to its entries in file order: lookups in scripts of
    // thousands of files stay quick.
    std::unordered_map<std::string, std::vector<size_t>> byKey;
  };
  const Section* Find(const std::string& name) const;

  std::vector<Section> sections_;
  Encoding encoding_ = Encoding::Ansi;
  bool above127_ = false;
  std::string textProblem_;
};
