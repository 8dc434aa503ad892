// Reading a package directory.
#include "packager/package_info.hpp"

#include <cstdio>
#include <filesystem>

#include "engine/setup_rec.hpp"
#include "engine/text_codes.hpp"
#include "packager/safe_files.hpp"
#include "packager/single_file.hpp"
#include "packager/yaml_text.hpp"
#include "setup/ini_file.hpp"

namespace fs = std::filesystem;

namespace {

void RequireFile(const std::string& dir, const std::string& name, const char* why) {
  std::error_code ec;
  const std::string path = PackageFile(dir, name);
  if (!fs::is_regular_file(path, ec)) throw PackageError(path + ": missing (" + why + ")");
}

// The licence as the wizard shows it: Unicode after a byte order mark, else
// the ANSI code page (Windows-1252 here).
std::string LicenseText(const std::string& path) {
  const std::string bytes = qpack::ReadRegularFile(path, qpack::kMaxScriptBytes);
  std::string text;
  if (!DecodeMarkedText(bytes, text)) text = Windows1252ToUtf8(bytes);
  if (const std::string why = MarkedTextProblem(bytes); !why.empty())
    throw PackageError(path + ": " + why);
  std::string lf;
  for (const char c : text)
    if (c != '\r') lf += c;
  while (!lf.empty() && lf.back() == '\n') lf.pop_back();
  return lf;
}

}  // namespace

std::string PackageFile(const std::string& dir, const std::string& name) {
  return (fs::path(dir) / name).string();
}

PackageInfo ReadPackageInfo(const std::string& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw PackageError(dir + ": not a directory");
  if (const std::string single = qpack::FindSingleFile(dir); !single.empty()) {
    qpack::NewDirectory parts((fs::temp_directory_path() / "qpack-parts").string());
    qpack::UnpackSingleFile(single, parts.Path());
    PackageInfo info = ReadPackageInfo(parts.Path());
    info.dir = dir;
    info.single = single;
    return info;
  }
  RequireFile(dir, "setup.exe", "the installer itself");
  RequireFile(dir, "setup.ini", "the setup script");
  RequireFile(dir, "setup.dat", "the archive of the application's files");

  const std::string script = PackageFile(dir, "setup.ini");
  TIniFile ini(qpack::ReadRegularFile(script, qpack::kMaxScriptBytes));
  TSetupRec rec;
  LoadSetupRec(rec, ini);
  if (rec.AppName.empty()) throw PackageError(script + ": MAIN AppName: missing");
  if (const std::string why = AppNameProblem(rec.AppName); !why.empty())
    throw PackageError(script + ": MAIN AppName: not a valid application name: " + why);

  // The reader turns every encoding into UTF-8; a file that says UTF-8 may
  // still hold bytes that are none.
  const auto text = [&](const char* key, const std::string& value) {
    if (!IsValidUtf8(value))
      throw PackageError(script + ": MAIN " + key +
                         ": not UTF-8 though the file starts with "
                         "a UTF-8 byte order mark");
    return value;
  };
  PackageInfo info;
  info.dir = dir;
  info.AppName = text("AppName", rec.AppName);
  info.Version = text("Version", rec.Version);
  info.Publisher = text("Publisher", rec.Publisher);
  info.userScope = rec.UserScope;
  info.URL = text("URL", rec.URL);
  info.hasLicense = fs::is_regular_file(PackageFile(dir, "license.txt"), ec);
  if (info.hasLicense) info.licenseText = LicenseText(PackageFile(dir, "license.txt"));
  return info;
}
