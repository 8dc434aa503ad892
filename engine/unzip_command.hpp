// The unzip tool's command line, and the length at which setup refuses it.
// Portable, so that the packager's tool measures it as setup does.
#pragma once

#include <cstddef>
#include <string>

// Setup stops with "Path too long!" at a parameter string this long.
constexpr size_t kUnzipParametersLimit = 256;

// s between double quotes; backslashes right before the closing quote are
// doubled, since the tool's command-line parser would read "C:\App\" as
// C:\App" otherwise.
std::string QuotedForTool(const std::string& s);
// The tool's command-line parameters for one member.
std::string UnzipParameters(const std::string& archive, const std::string& name,
                            const std::string& dir);
