// Unattended runs for deployment systems (/S, /SP): no questions, safe
// answers, a progress log, and an exit code for every way a run ends.
#pragma once

#include <string>

#include "engine/run_codes.hpp"
#include "setup/command_line.hpp"

// Installs, or removes the application named by "/u:" in commandLine.
int RunUnattended(const TRunSwitches& switches, const std::string& commandLine);
// Ends an unattended run before it starts: text goes to the /LOG file, and
// the exit code is code (by default the one for bad input, 1).
int RefuseUnattended(const TRunSwitches& switches, const std::string& text,
                     int code = kExitBadInput);
// Adds one line to the end of the /LOG file (none when path is empty).
void AddToRunLog(const std::string& path, const std::string& line);
