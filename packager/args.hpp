// Command-line arguments of the commands: positional ones, options that
// take a value ("-o DIR", "--name=X") and options that stand alone. Portable.
#pragma once

#include <map>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace qpack {

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::string Value(const std::string& option, const std::string& def = "") const {
    const auto it = values.find(option);
    return it == values.end() ? def : it->second;
  }
};

// False with error set for an unknown option or one that lacks its value.
// "--help" is always known.
bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
               const std::vector<std::string>& flagOptions, Args& out, std::string& error);

// For a command that takes positionals arguments: false when it should not
// go on, with code set and its help (asked for, exit 0) or the error and its
// help (exit 2) printed.
bool ParseCommandArgs(const std::vector<std::string>& args,
                      const std::vector<std::string>& valueOptions,
                      const std::vector<std::string>& flagOptions, size_t positionals,
                      const char* help, std::ostream& out, std::ostream& err, Args& parsed,
                      int& code);

}  // namespace qpack

// One package directory and options that each fill a text: false with
// error set on an unknown option, a missing value, no directory or two.
bool ParsePackageArgs(const std::vector<std::string>& args,
                      std::span<const std::pair<const char*, std::string*>> fields,
                      std::string& dir, std::string& error);
