// Command-line splitting and mode choice.
#include "setup/command_line.hpp"

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = commandLine.size();
  for (;;) {
    while (i < n && static_cast<unsigned char>(commandLine[i]) <= ' ') ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || static_cast<unsigned char>(commandLine[i]) > ' ')) {
      if (commandLine[i] == '"')
        quoted = !quoted;
      else
        arg += commandLine[i];
      ++i;
    }
    args.push_back(arg);
  }
  return args;
}

bool IsUninstallArgument(const std::vector<std::string>& args, std::string& name) {
  name.clear();
  if (args.size() < 2 || args[1].compare(0, 3, "/u:") != 0) return false;
  name = args[1].substr(3);
  return true;
}
