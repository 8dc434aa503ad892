// The unzip tool's command line.
#include "engine/unzip_command.hpp"

std::string QuotedForTool(const std::string& s) {
  size_t trailing = 0;
  while (trailing < s.size() && s[s.size() - 1 - trailing] == '\\') ++trailing;
  return "\"" + s + std::string(trailing, '\\') + "\"";
}

std::string UnzipParameters(const std::string& archive, const std::string& name,
                            const std::string& dir) {
  return "-Coq " + QuotedForTool(archive) + " " + QuotedForTool(name) + " -d" + QuotedForTool(dir);
}
