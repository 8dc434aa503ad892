// Runs an outside command-line tool and collects what it prints. Portable:
// posix_spawn on POSIX systems, CreateProcess on Windows.
#pragma once

#include <string>
#include <vector>

struct ToolResult {
  bool started = false;  // false: the program was not found or could not start
  int exitCode = -1;
  std::string output;  // standard output and standard error, interleaved
};

// argv[0] is looked up on PATH. Waits for the tool to end.
ToolResult RunTool(const std::vector<std::string>& argv);

// One argument quoted as Windows programs split their command line.
std::string QuoteWindowsArgument(const std::string& arg);
