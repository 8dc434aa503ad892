// The sign command and the signature check.
#include "packager/sign.hpp"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/carried_package.hpp"
#include "engine/sha256.hpp"
#include "packager/args.hpp"
#include "packager/commands.hpp"
#include "packager/package_info.hpp"
#include "packager/run_tool.hpp"
#include "packager/safe_files.hpp"

namespace fs = std::filesystem;

namespace {

const char kTool[] = "osslsigncode";

const char kUsage[] =
    "usage: qpack sign DIR --cert CERT --key KEY [options]\n"
    "Signs DIR/setup.exe, or the single setup file DIR holds instead, with\n"
    "Authenticode (SHA-256) through osslsigncode; the signature covers the\n"
    "package a single file carries. The signed program replaces the file only\n"
    "when signing succeeded; a signature already there is replaced.\n"
    "\n"
    "  --cert FILE       the certificate (PEM or DER), with its chain if any\n"
    "  --key FILE        its private key (PEM or DER)\n"
    "  --pass-file FILE  the key's passphrase, read from a file\n"
    "  --timestamp URL   an RFC 3161 time-stamping service, so the signature\n"
    "                    outlives the certificate\n"
    "\n"
    "The description shown by Windows is setup.ini's AppName, its link the URL.\n"
    "Signing changes setup.exe, so a manifest written before carries a stale\n"
    "SHA-256: sign first, then write the manifest (qpack manifest). Manifests\n"
    "under DIR/manifests with the old hash are named in a warning.\n"
    "\n"
    "Exit codes: 0 signed, 1 not signed, 2 bad command line.\n";

struct Options {
  std::string dir, cert, key, passFile, timestamp;
};

bool ParseArgs(const std::vector<std::string>& args, Options& o, std::string& error) {
  const std::pair<const char*, std::string*> fields[] = {{"--cert", &o.cert},
                                                         {"--key", &o.key},
                                                         {"--pass-file", &o.passFile},
                                                         {"--timestamp", &o.timestamp}};
  if (!ParsePackageArgs(args, fields, o.dir, error)) return false;
  if (o.cert.empty() || o.key.empty()) return error = "--cert and --key are required", false;
  return true;
}

// The last lines the tool printed, on one line, for an error message.
std::string Tail(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  std::string tail;
  for (size_t i = lines.size() > 3 ? lines.size() - 3 : 0; i < lines.size(); ++i)
    tail += (tail.empty() ? "" : "; ") + lines[i];
  return tail;
}

// The reason osslsigncode gives for a failed verification.
std::string VerifyFailure(const std::string& output) {
  if (output.find("MISMATCH") != std::string::npos)
    return "the Authenticode signature does not match the file (changed after signing)";
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find("Error: ");
    if (at != std::string::npos)
      return "the Authenticode signature does not verify: " + line.substr(at + 7);
  }
  return "the Authenticode signature does not verify: " + Tail(output);
}

// Manifests written beside the package before signing name the old hash.
void WarnStaleManifests(const std::string& dir, const std::string& oldHash, const std::string& name,
                        std::ostream& err) {
  std::error_code ec;
  const fs::path manifests = fs::path(dir) / "manifests";
  if (!fs::is_directory(manifests, ec)) return;
  for (const auto& entry : fs::directory_iterator(manifests, ec)) {
    if (entry.path().extension() != ".yaml") continue;
    std::string text;
    try {
      text = qpack::ReadRegularFile(entry.path().string(), size_t{1} << 20);
    } catch (const std::exception&) {
      continue;
    }
    if (text.find(oldHash) != std::string::npos)
      err << "warning: " << entry.path().string() << ": carries the SHA-256 of the unsigned "
          << name << "; write the manifest again\n";
  }
}

void Sign(const Options& o, std::ostream& out, std::ostream& err) {
  for (const std::string* file : {&o.cert, &o.key, &o.passFile}) {
    std::error_code ec;
    if (!file->empty() && !fs::is_regular_file(*file, ec)) throw PackageError(*file + ": missing");
  }
  const PackageInfo package = ReadPackageInfo(o.dir);
  const std::string exe = package.single.empty() ? PackageFile(o.dir, "setup.exe") : package.single;
  const std::string name = fs::path(exe).filename().string();
  const std::string oldHash = qpack::Sha256HexOfFile(exe);
  // The signed program is written into a fresh directory of ours, and then
  // replaces setup.exe in one step.
  qpack::NewDirectory scratch(exe);
  const std::string signing = scratch.Path() + "/" + name;

  std::vector<std::string> argv = {kTool, "sign", "-certs", o.cert, "-key",
                                   o.key, "-h",   "sha256", "-n",   package.AppName};
  if (!package.URL.empty()) argv.insert(argv.end(), {"-i", package.URL});
  if (!o.passFile.empty()) argv.insert(argv.end(), {"-readpass", o.passFile});
  if (!o.timestamp.empty()) argv.insert(argv.end(), {"-ts", o.timestamp});
  argv.insert(argv.end(), {"-in", exe, "-out", signing});

  const ToolResult r = RunTool(argv);
  if (!r.started)
    throw PackageError(std::string(kTool) + ": not found; install it (Debian: osslsigncode)");
  if (r.exitCode != 0 || !HasAuthenticodeSignature(signing))
    throw PackageError(exe + ": " + kTool + " could not sign it: " + Tail(r.output));
  try {
    scratch.Place(name);
  } catch (const std::exception&) {
    throw PackageError(exe + ": cannot replace it with the signed program");
  }
  out << "signed " << exe << "; SHA-256 " << qpack::Sha256HexOfFile(exe) << "\n";
  WarnStaleManifests(o.dir, oldHash, name, err);
}

}  // namespace

bool HasAuthenticodeSignature(const std::string& path) {
  try {
    const carried::PeLayout pe =
        carried::ReadPeLayout(qpack::ReadRegularHead(path, 4096), fs::file_size(path));
    // A table that reaches past the end counts: its check then fails.
    return pe.valid && pe.certificateOffset != 0 && pe.certificateSize != 0;
  } catch (const std::exception&) {
    return false;  // no regular file: nothing to verify, nothing to run on it
  }
}

int RunSignCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") return out << kUsage, qpack::kExitOk;
  Options o;
  if (std::string error; !ParseArgs(args, o, error)) {
    err << "qpack sign: " << error << "\n" << kUsage;
    return qpack::kExitUsage;
  }
  try {
    Sign(o, out, err);
    return qpack::kExitOk;
  } catch (const std::runtime_error& e) {
    err << "qpack sign: " << e.what() << "\n";
    return qpack::kExitProblems;
  }
}

bool VerifySignatureIfAny(const std::string& packageDir, std::vector<std::string>& problems,
                          const std::string& caFile) {
  return VerifyFileSignatureIfAny(PackageFile(packageDir, "setup.exe"), problems, caFile);
}

bool VerifyFileSignatureIfAny(const std::string& exe, std::vector<std::string>& problems,
                              const std::string& caFile) {
  if (!HasAuthenticodeSignature(exe)) return true;
  std::vector<std::string> argv = {kTool, "verify", "-in", exe};
  if (!caFile.empty()) argv.insert(argv.end(), {"-CAfile", caFile});
  const ToolResult r = RunTool(argv);
  if (!r.started) {
    problems.push_back(exe + ": warning: signed, but " + kTool +
                       " is not installed to verify the signature");
    return true;
  }
  if (r.exitCode == 0) return true;
  problems.push_back(exe + ": error: " + VerifyFailure(r.output));
  return false;
}
