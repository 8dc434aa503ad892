// Reading setup.ini through the platform's private-profile calls.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/setup_rec.hpp"

class TPrivateProfile : public TProfileSource {
 public:
  explicit TPrivateProfile(std::string path) : path_(std::move(path)) {}
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) override;
  std::vector<std::string> ReadKeys(const std::string& section) override;
  // The platform bends text that is not what its mark says (U+FFFD for
  // bytes that are no UTF-8); the file's own bytes tell.
  std::string TextProblem() const override;

 private:
  // A section as the platform reads it, once: each key's first line, and
  // its value unless the line had no "=". A lookup per key through the
  // profile calls costs a scan of the section (and, under Wine, an open of
  // the file) each: 18 s for a script of 5,000 files.
  using Section = std::unordered_map<std::string, std::optional<std::string>>;
  const Section& Load(const std::string& section);

  std::string path_;
  std::unordered_map<std::string, Section> sections_;
};

// Fills rec from the script at path; never fails.
void ReadSetupRec(TSetupRec& rec, const std::string& path);
