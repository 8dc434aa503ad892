// setup.log on disk: in the ANSI code page where its text allows, else UTF-8
// with a byte order mark; either is read back.
#pragma once

#include <string>
#include <vector>

#include "engine/file_sums.hpp"
#include "engine/install_log.hpp"

// The system's ANSI code page, exact or not at all.
const TAnsiCodec& SystemAnsiCodec();

// Writes the log, replacing a file of that name; false on failure.
bool SaveLog(const TInstallLog& log, const std::string& path);
// Reads a log into lines; false when it cannot be read.
bool LoadLog(const std::string& path, std::vector<std::string>& lines);

// The size and SHA-256 of the file at path; false when it cannot be read.
bool SumOfFile(const std::string& path, TFileSum& sum);
// The record beside a log (empty when there is none) and its saving.
TFileSums LoadSums(const std::string& path);
bool SaveSums(const TFileSums& sums, const std::string& path);
