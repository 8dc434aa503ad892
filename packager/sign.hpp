// The sign command: Authenticode signature of setup.exe (or of the single
// setup file) through osslsigncode,
// and the check of a signature that a package carries. Portable.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs "sign DIR --cert C --key K [options]"; args are the words after
// "sign". Exit codes: 0 signed, 1 not signed (the package, a file or the
// tool failed), 2 bad command line (usage printed).
int RunSignCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// True when the Windows program at path carries an Authenticode signature
// (its certificate table is not empty); false for unsigned or non-programs.
bool HasAuthenticodeSignature(const std::string& path);

// For check: when DIR/setup.exe is signed, verifies the signature with
// "osslsigncode verify" against caFile (default: the tool's own, the
// system's CA bundle) and appends one line per problem, "FILE: error: ..."
// or "FILE: warning: ..." (osslsigncode missing). False only when a
// signature is present and does not verify.
bool VerifySignatureIfAny(const std::string& packageDir, std::vector<std::string>& problems,
                          const std::string& caFile = "");
// The same for one program file (a single setup file).
bool VerifyFileSignatureIfAny(const std::string& exe, std::vector<std::string>& problems,
                              const std::string& caFile = "");
