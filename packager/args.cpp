// Parsing the commands' arguments.
#include "packager/args.hpp"

#include <algorithm>

namespace qpack {

bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
               const std::vector<std::string>& flagOptions, Args& out, std::string& error) {
  auto known = [](const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
  };
  // A value with a line break would write keys of its own into a script
  // or a manifest; no option needs a control character.
  for (const std::string& a : args)
    if (std::any_of(a.begin(), a.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
      error = "an argument holds a line break or another control character";
      return false;
    }
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-') {
      out.positional.push_back(a);
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    if (known(valueOptions, name)) {
      if (eq != std::string::npos) {
        out.values[name] = a.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        out.values[name] = args[++i];
      } else {
        error = "option " + name + " needs a value";
        return false;
      }
    } else if (eq == std::string::npos && (a == "--help" || known(flagOptions, a))) {
      out.flags.insert(a);
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  return true;
}

bool ParseCommandArgs(const std::vector<std::string>& args,
                      const std::vector<std::string>& valueOptions,
                      const std::vector<std::string>& flagOptions, size_t positionals,
                      const char* help, std::ostream& out, std::ostream& err, Args& parsed,
                      int& code) {
  std::string error;
  if (!ParseArgs(args, valueOptions, flagOptions, parsed, error)) {
    err << "qpack: " << error << "\n" << help;
    code = 2;
    return false;
  }
  if (parsed.Has("--help")) {
    out << help;
    code = 0;
    return false;
  }
  if (parsed.positional.size() != positionals) {
    err << help;
    code = 2;
    return false;
  }
  return true;
}

}  // namespace qpack

bool ParsePackageArgs(const std::vector<std::string>& args,
                      std::span<const std::pair<const char*, std::string*>> fields,
                      std::string& dir, std::string& error) {
  std::vector<std::string> names;
  for (const auto& [name, value] : fields) names.push_back(name);
  qpack::Args a;
  if (!qpack::ParseArgs(args, names, {}, a, error)) return false;
  if (a.positional.empty()) return error = "no package directory given", false;
  if (a.positional.size() > 1) return error = "more than one directory: " + a.positional[1], false;
  dir = a.positional[0];
  for (const auto& [name, value] : fields) *value = a.Value(name, *value);
  return true;
}
