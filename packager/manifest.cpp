// The manifest command.
#include "packager/manifest.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/carried_package.hpp"
#include "engine/run_codes.hpp"
#include "engine/sha256.hpp"
#include "packager/args.hpp"
#include "packager/commands.hpp"
#include "packager/package_info.hpp"
#include "packager/safe_files.hpp"
#include "packager/yaml_text.hpp"
#include "packager/zip_archive.hpp"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: qpack manifest DIR --id Publisher.App [options]\n"
    "Writes a package-manager manifest (schema 1.10.0) for the package in DIR\n"
    "(a single setup file, or setup.exe, setup.ini, setup.dat, maybe license.txt\n"
    "published as a ZIP archive): <id>.yaml, <id>.locale.en-US.yaml and\n"
    "<id>.installer.yaml.\n"
    "\n"
    "  --id ID              package identifier, Publisher.App (required)\n"
    "  --version V          package version (default: setup.ini's Version)\n"
    "  --out DIR            where the files go (default: DIR/manifests)\n"
    "  --installer-url URL  where users download the installer (default: a\n"
    "                       placeholder below https://example.invalid/ID/V/)\n"
    "  --archive ZIP        the four files zipped, at the archive's top and\n"
    "                       nothing else: the manifest then describes that archive\n"
    "  --publisher NAME     default: setup.ini's Publisher, else ID's first part\n"
    "  --name NAME          package name (default: setup.ini's AppName)\n"
    "  --license TEXT       default: Proprietary\n"
    "  --description TEXT   short description (default: \"NAME for Windows\")\n"
    "\n"
    "The package manager downloads one file and runs it alone. A single setup\n"
    "file (qpack build --single) is that file. Four loose files are refused\n"
    "unless --archive names their ZIP, which must hold exactly them, byte for\n"
    "byte.\n"
    "\n"
    "The installer's SHA-256 goes into the manifest: sign setup.exe (qpack sign)\n"
    "and zip the package before writing the manifest, or write it again after.\n"
    "Texts from setup.ini are read as Windows-1252 unless the file starts with\n"
    "a UTF-8 byte order mark.\n"
    "\n"
    "Exit codes: 0 written, 1 a fault of the package or of a value, 2 bad\n"
    "command line.\n";

const char kManifestVersion[] = "1.10.0";
const char kLocale[] = "en-US";

struct Options {
  std::string dir, id, version, out, installerUrl, archive, publisher, name, license, description;
};

bool ParseArgs(const std::vector<std::string>& args, Options& o, std::string& error) {
  const std::pair<const char*, std::string*> fields[] = {{"--id", &o.id},
                                                         {"--version", &o.version},
                                                         {"--out", &o.out},
                                                         {"--installer-url", &o.installerUrl},
                                                         {"--archive", &o.archive},
                                                         {"--publisher", &o.publisher},
                                                         {"--name", &o.name},
                                                         {"--license", &o.license},
                                                         {"--description", &o.description}};
  if (!ParsePackageArgs(args, fields, o.dir, error)) return false;
  if (o.id.empty()) return error = "--id is required", false;
  return true;
}

bool IsForbidden(unsigned char c) {
  return c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
         c == '<' || c == '>' || c == '|';
}

std::string VersionProblem(const std::string& v) {
  if (v.empty()) return "is empty";
  if (Utf8Length(v) > 128) return "is longer than 128 characters";
  for (unsigned char c : v)
    if (IsForbidden(c))
      return "holds a character out of \\ / : * ? \" < > | or a control character";
  return "";
}

// Checks a text against the schema's length limits (in characters).
void RequireLength(const std::string& what, const std::string& value, size_t min, size_t max,
                   const char* option) {
  const size_t n = Utf8Length(value);
  if (n < min || n > max)
    throw PackageError(what + " \"" + value + "\" must have " + std::to_string(min) + " to " +
                       std::to_string(max) + " characters; give another with " + option);
}

// The code point starting at s[i] (UTF-8; a stray byte counts as itself).
uint32_t CodePointAt(const std::string& s, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i++]);
  const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  uint32_t cp = more ? c & (0x3F >> more) : c;
  for (int k = 0; k < more && i < s.size(); ++k)
    cp = cp << 6 | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return cp;
}

// What the schema's \s means to its validators, beyond ASCII blanks.
bool IsUnicodeBlank(uint32_t cp) {
  return cp == 0x85 || cp == 0xA0 || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200A) ||
         cp == 0x2028 || cp == 0x2029 || cp == 0x202F || cp == 0x205F || cp == 0x3000;
}

bool IsHttpUrl(const std::string& url) {
  std::string scheme = url.substr(0, url.find("://"));
  for (char& c : scheme) c = static_cast<char>(c | 0x20);
  return (scheme == "http" || scheme == "https") && url.size() > scheme.size() + 3 &&
         url.size() <= 2048;
}

// The values of all three files, checked against the schema's rules.
struct Manifest {
  std::string id, version, publisher, name, license, description, packageUrl;
  std::string installerUrl, sha256, architecture;
  bool archive = false;
  PackageInfo package;
};

// A file name as one part of a URL: everything but unreserved characters
// percent-encoded.
std::string UrlPart(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : name) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// The archive must hold at its top exactly the package's files, the same
// bytes: what the package manager unpacks is what was checked.
void RequireSameFiles(const std::string& archive, const std::string& dir) {
  std::map<std::string, std::string> want;
  for (const char* name : {"setup.exe", "setup.ini", "setup.dat", "license.txt"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(PackageFile(dir, name), ec))
      want[name] = qpack::Sha256HexOfFile(PackageFile(dir, name));
  }
  std::map<std::string, std::string> got;
  try {
    got = qpack::ZipMemberHashes(archive);
  } catch (const std::exception& e) {
    throw PackageError("--archive " + archive + ": " + e.what());
  }
  for (const auto& [name, hash] : got)
    if (!want.count(name))
      throw PackageError("--archive " + archive + ": holds " + name +
                         ", which is no file of the package");
  for (const auto& [name, hash] : want) {
    const auto it = got.find(name);
    if (it == got.end()) throw PackageError("--archive " + archive + ": lacks " + name);
    if (it->second != hash)
      throw PackageError("--archive " + archive + ": its " + name + " differs from " +
                         PackageFile(dir, name));
  }
}

// The package manager's name for the processor the program is built for.
std::string Architecture(const std::string& program) {
  const carried::PeLayout pe = carried::ReadPeLayout(
      qpack::ReadRegularHead(program, carried::kHeadBytes), fs::file_size(program));
  switch (pe.valid ? pe.machine : 0) {
    case 0x14C:
      return "x86";
    case 0x8664:
      return "x64";
    case 0xAA64:
      return "arm64";
    default:
      throw PackageError(program + ": no Windows program for x86, x64 or arm64");
  }
}

Manifest Compose(const Options& o, std::ostream& err) {
  Manifest m;
  m.package = ReadPackageInfo(o.dir);
  const PackageInfo& p = m.package;
  // Messages name the file that holds the script.
  const std::string script = p.single.empty() ? PackageFile(o.dir, "setup.ini") : p.single;
  m.id = o.id;
  if (const std::string why = PackageIdentifierProblem(m.id); !why.empty())
    throw PackageError("--id " + m.id + ": " + why);

  m.version = o.version.empty() ? p.Version : o.version;
  if (m.version.empty())
    throw PackageError(script + ": MAIN Version: missing; give the version with --version");
  if (const std::string why = VersionProblem(m.version); !why.empty())
    throw PackageError("version \"" + m.version + "\" " + why);
  if (!p.Version.empty() && p.Version != m.version)
    err << "warning: --version " << m.version << " differs from " << script << "'s Version "
        << p.Version << ", which the Add/Remove entry shows\n";

  m.publisher = !o.publisher.empty()   ? o.publisher
                : !p.Publisher.empty() ? p.Publisher
                                       : m.id.substr(0, m.id.find('.'));
  m.name = o.name.empty() ? p.AppName : o.name;
  m.license = o.license.empty() ? "Proprietary" : o.license;
  m.description = o.description.empty() ? m.name + " for Windows" : o.description;
  RequireLength("Publisher", m.publisher, 2, 256, "--publisher");
  RequireLength("PackageName", m.name, 2, 256, "--name");
  RequireLength("License", m.license, 3, 512, "--license");
  RequireLength("ShortDescription", m.description, 3, 256, "--description");
  if (Utf8Length(p.Version) > 128)
    throw PackageError(script + ": MAIN Version: longer than the 128 characters a manifest allows");
  if (!p.URL.empty() && !IsHttpUrl(p.URL))
    err << "warning: " << script << ": MAIN URL: not an http(s) address; left out\n";
  else
    m.packageUrl = p.URL;

  m.archive = !o.archive.empty();
  const bool single = !p.single.empty();
  if (single && m.archive)
    throw PackageError("--archive: " + o.dir + " holds a single setup file; publish it as it is");
  if (!single && !m.archive)
    throw PackageError(o.dir +
                       ": four loose files: the package manager downloads one file and runs it "
                       "alone, where setup.exe finds neither setup.ini nor setup.dat; build the "
                       "package with --single, or zip the four files and pass --archive ZIP");
  if (m.archive) RequireSameFiles(o.archive, o.dir);
  if (Utf8Length(p.licenseText) > 10000)
    err << "warning: license.txt is longer than the 10,000 characters a manifest's Agreement "
           "holds; left out\n";
  const std::string installer = m.archive ? o.archive : p.single;
  m.architecture = Architecture(single ? p.single : PackageFile(o.dir, "setup.exe"));
  try {
    m.sha256 = qpack::Sha256HexOfFile(installer);
  } catch (const std::runtime_error& e) {
    throw PackageError(e.what());
  }
  if (o.installerUrl.empty()) {
    m.installerUrl =
        "https://example.invalid/" + m.id + "/" + m.version + "/" +
        (m.archive ? "setup.zip" : UrlPart(std::filesystem::path(p.single).filename().string()));
    err << "warning: InstallerUrl is the placeholder " << m.installerUrl
        << "; give the real one with --installer-url\n";
  } else {
    m.installerUrl = o.installerUrl;
  }
  if (!IsHttpUrl(m.installerUrl))
    throw PackageError("--installer-url " + m.installerUrl + ": not an http(s) address");
  return m;
}

// Each file opens with the schema it follows, as the package manager's own
// files do, and holds the identity of the package.
std::string Header(const Manifest& m, const char* type) {
  std::ostringstream s;
  s << "# Written by qpack manifest.\n"
    << "# yaml-language-server: $schema=https://aka.ms/winget-manifest." << type << "."
    << kManifestVersion << ".schema.json\n\n"
    << "PackageIdentifier: " << YamlScalar(m.id) << "\n"
    << "PackageVersion: " << YamlScalar(m.version) << "\n";
  return s.str();
}

std::string Footer(const char* type) {
  return std::string("ManifestType: ") + type + "\nManifestVersion: " + kManifestVersion + "\n";
}

std::string VersionFile(const Manifest& m) {
  return Header(m, "version") + "DefaultLocale: " + kLocale + "\n" + Footer("version");
}

std::string LocaleFile(const Manifest& m) {
  std::string s = Header(m, "defaultLocale");
  s += std::string("PackageLocale: ") + kLocale + "\n";
  s += "Publisher: " + YamlScalar(m.publisher) + "\n";
  s += "PackageName: " + YamlScalar(m.name) + "\n";
  if (!m.packageUrl.empty()) s += "PackageUrl: " + YamlScalar(m.packageUrl) + "\n";
  s += "License: " + YamlScalar(m.license) + "\n";
  s += "ShortDescription: " + YamlScalar(m.description) + "\n";
  // The licence the wizard shows, for the package manager to show first.
  if (!m.package.licenseText.empty() && Utf8Length(m.package.licenseText) <= 10000)
    s += "Agreements:\n- AgreementLabel: License\n  Agreement: " +
         YamlScalar(m.package.licenseText) + "\n";
  return s + Footer("defaultLocale");
}

// /D= takes the rest of setup.exe's command line, so it must come last. The
// package manager appends the location switch after every other one (mode,
// log, custom, upgrade), so nothing of ours may go into Custom or Upgrade.
std::string Switches(const Manifest& m) {
  const std::string accept = m.package.hasLicense ? " /ACCEPTLICENSE" : "";
  std::string s = "InstallerSwitches:\n";
  s += "  Silent: " + YamlScalar("/S" + accept) + "\n";
  s += "  SilentWithProgress: " + YamlScalar("/SP" + accept) + "\n";
  s += "  InstallLocation: " + YamlScalar("/D=<INSTALLPATH>") + "\n";
  // Quoted: the log path may hold blanks (a user name).
  s += "  Log: " + YamlScalar("/LOG=\"<LOGPATH>\"") + "\n";
  return s;
}

std::string InstallerFile(const Manifest& m) {
  const PackageInfo& p = m.package;
  std::string s = Header(m, "installer");
  s += "Platform:\n- Windows.Desktop\n";
  s += m.archive ? "InstallerType: zip\nNestedInstallerType: exe\n"
                   "NestedInstallerFiles:\n- RelativeFilePath: setup.exe\n"
                 : "InstallerType: exe\n";
  // The Uninstall entry's key name, for upgrades and removal.
  s += "ProductCode: " + YamlScalar(p.AppName) + "\n";
  s += "InstallModes:\n- interactive\n- silent\n- silentWithProgress\n";
  s += Switches(m);
  s += "ExpectedReturnCodes:\n";
  for (const ExitCodeRow& rc : kExitCodes)
    if (*rc.managerResponse)
      s += "- InstallerReturnCode: " + std::to_string(rc.code) +
           "\n  ReturnResponse: " + rc.managerResponse + "\n";
  // Installing over an earlier version keeps its place and its records.
  s += "UpgradeBehavior: install\n";
  // As the Uninstall entry has them; its key name is the AppName.
  s += "AppsAndFeaturesEntries:\n";
  s += "- DisplayName: " + YamlScalar(p.AppName) + "\n";
  if (Utf8Length(p.Publisher) >= 1) s += "  Publisher: " + YamlScalar(p.Publisher) + "\n";
  if (Utf8Length(p.Version) >= 1) s += "  DisplayVersion: " + YamlScalar(p.Version) + "\n";
  s += "  ProductCode: " + YamlScalar(p.AppName) + "\n";
  s += "  InstallerType: exe\n";
  // One file, two scopes; each says its own before any switch the package
  // manager appends (/D= must come last). A script of Scope=user installs
  // for all users only with /ALLUSERS.
  s += "Installers:\n";
  const std::string accept = m.package.hasLicense ? " /ACCEPTLICENSE" : "";
  for (const bool user : {false, true}) {
    s += "- Architecture: " + m.architecture + "\n";
    s += std::string("  Scope: ") + (user ? "user" : "machine") + "\n";
    s += "  InstallerUrl: " + YamlScalar(m.installerUrl) + "\n";
    s += "  InstallerSha256: " + YamlScalar(m.sha256) + "\n";
    // Started without administrator rights, the machine-wide run restarts
    // itself elevated; the user's own never asks.
    if (!user) s += "  ElevationRequirement: elevatesSelf\n";
    const std::string scope = user ? " /CURRENTUSER" : m.package.userScope ? " /ALLUSERS" : "";
    if (scope.empty()) continue;  // the switches of the whole manifest
    s += "  InstallerSwitches:\n";
    s += "    Silent: " + YamlScalar("/S" + scope + accept) + "\n";
    s += "    SilentWithProgress: " + YamlScalar("/SP" + scope + accept) + "\n";
    s += "    Interactive: " + YamlScalar(scope.substr(1)) + "\n";
    s += "    InstallLocation: " + YamlScalar("/D=<INSTALLPATH>") + "\n";
    s += "    Log: " + YamlScalar("/LOG=\"<LOGPATH>\"") + "\n";
  }
  return s + Footer("installer");
}

}  // namespace

std::string PackageIdentifierProblem(const std::string& id) {
  if (Utf8Length(id) > 128) return "longer than 128 characters";
  size_t parts = 0, start = 0;
  for (;;) {
    const size_t dot = std::min(id.find('.', start), id.size());
    const std::string part = id.substr(start, dot - start);
    ++parts;
    if (part.empty()) return "has an empty part (two dots, or a dot at an end)";
    if (Utf8Length(part) > 32) return "part \"" + part + "\" is longer than 32 characters";
    for (size_t i = 0; i < part.size();) {
      const uint32_t cp = CodePointAt(part, i);
      if ((cp < 0x80 && IsForbidden(static_cast<unsigned char>(cp))) || cp == ' ' ||
          IsUnicodeBlank(cp))
        return "holds a blank, a control character or one of \\ / : * ? \" < > |";
    }
    if (dot == id.size()) break;
    start = dot + 1;
  }
  if (parts < 2 || parts > 8) return "needs 2 to 8 parts joined by dots, as in Publisher.App";
  return "";
}

int RunManifestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") return out << kUsage, qpack::kExitOk;
  Options o;
  if (std::string error; !ParseArgs(args, o, error)) {
    err << "qpack manifest: " << error << "\n" << kUsage;
    return qpack::kExitUsage;
  }
  try {
    const Manifest m = Compose(o, err);
    const fs::path dir = o.out.empty() ? fs::path(o.dir) / "manifests" : fs::path(o.out);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) throw PackageError(dir.string() + ": cannot make directory");
    const std::pair<std::string, std::string> files[] = {
        {m.id + ".yaml", VersionFile(m)},
        {m.id + ".locale." + kLocale + ".yaml", LocaleFile(m)},
        {m.id + ".installer.yaml", InstallerFile(m)},
    };
    for (const auto& [name, text] : files) {
      qpack::WriteNewFile((dir / name).string(), text);
      out << (dir / name).string() << "\n";
    }
    return qpack::kExitOk;
  } catch (const std::runtime_error& e) {
    err << "qpack manifest: " << e.what() << "\n";
    return qpack::kExitProblems;
  }
}
