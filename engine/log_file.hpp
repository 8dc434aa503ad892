// setup.log on disk: in the ANSI code page where its text allows, else UTF-8
// with a byte order mark; either is read back.
#pragma once

#include <string>
#include <vector>

#include "engine/install_log.hpp"

// The system's ANSI code page, exact or not at all.
const TAnsiCodec& SystemAnsiCodec();

// Writes the log, replacing a file of that name; false on failure.
bool SaveLog(const TInstallLog& log, const std::string& path);
// Reads a log into lines; false when it cannot be read.
bool LoadLog(const std::string& path, std::vector<std::string>& lines);
