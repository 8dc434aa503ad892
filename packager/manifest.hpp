// The manifest command: the three files of a multi-file manifest for the
// Windows package manager (schema 1.10.0) that install a package with
// setup.exe's unattended switches. Portable.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs "manifest DIR --id Publisher.App [--version V] [options]"; args are
// the words after "manifest". Exit codes: 0 written, 1 a fault of the package
// or of a value, 2 bad command line (usage printed).
int RunManifestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Empty when id fits the package manager's identifier rule (2 to 8 parts
// joined by dots, each 1 to 32 characters, none of \ / : * ? " < > | or
// blanks or control characters, 128 at most); otherwise why not.
std::string PackageIdentifierProblem(const std::string& id);
