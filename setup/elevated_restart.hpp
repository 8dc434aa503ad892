// The restart with administrator rights: a machine-wide install or removal
// started without them runs again as a copy Windows elevates, and this run
// waits for it and ends with its exit code.
#pragma once

#include <string>

#include "setup/command_line.hpp"

// True when this run was handed to an elevated copy (or could not be);
// exitCode then says how the whole run ended.
bool RanElevatedCopy(const TRunSwitches& switches, const std::string& commandLine, int show,
                     int& exitCode);
