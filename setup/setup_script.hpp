// Reading setup.ini through the platform's private-profile calls.
#pragma once

#include <string>
#include <vector>

#include "engine/setup_rec.hpp"

class TPrivateProfile : public TProfileSource {
 public:
  explicit TPrivateProfile(std::string path) : path_(std::move(path)) {}
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) override;
  std::vector<std::string> ReadKeys(const std::string& section) override;

 private:
  std::string path_;
};

// Fills rec from the script at path; never fails.
void ReadSetupRec(TSetupRec& rec, const std::string& path);
