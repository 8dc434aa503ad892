// The command line: splitting it into arguments and choosing the run mode.
// Portable.
#pragma once

#include <string>
#include <vector>

// Splits a command line as Windows programs do by convention: blanks
// separate arguments except inside double quotes, which are dropped.
// Element 0 is the program.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Uninstall mode when the first argument starts with exactly "/u:"; name
// receives the rest of it (possibly empty). Install mode otherwise.
bool IsUninstallArgument(const std::vector<std::string>& args, std::string& name);
