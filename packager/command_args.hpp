// Command-line words of the packager's commands: one directory and options
// written "--name value" or "--name=value". Portable.
#pragma once

#include <string>
#include <vector>

struct OptionField {
  const char* name;    // "--id"
  std::string* value;  // filled when the option is given
};

// False with a message on an unknown option, a missing value or a second
// directory.
inline bool ParseCommandArgs(const std::vector<std::string>& args, std::string& dir,
                             const std::vector<OptionField>& options, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.compare(0, 2, "--") != 0) {
      if (!dir.empty()) return error = "more than one directory: " + a, false;
      dir = a;
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    std::string* value = nullptr;
    for (const OptionField& o : options)
      if (name == o.name) value = o.value;
    if (!value) return error = "unknown option " + name, false;
    if (eq != std::string::npos)
      *value = a.substr(eq + 1);
    else if (i + 1 < args.size())
      *value = args[++i];
    else
      return error = name + " needs a value", false;
  }
  if (dir.empty()) return error = "no package directory given", false;
  return true;
}
