// Reading a package directory.
#include "packager/package_info.hpp"

#include <cstdio>
#include <filesystem>

#include "engine/setup_rec.hpp"
#include "packager/safe_files.hpp"
#include "packager/yaml_text.hpp"
#include "setup/ini_file.hpp"

namespace fs = std::filesystem;

namespace {

bool IsValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

void RequireFile(const std::string& dir, const std::string& name, const char* why) {
  std::error_code ec;
  const std::string path = PackageFile(dir, name);
  if (!fs::is_regular_file(path, ec)) throw PackageError(path + ": missing (" + why + ")");
}

}  // namespace

std::string PackageFile(const std::string& dir, const std::string& name) {
  return (fs::path(dir) / name).string();
}

PackageInfo ReadPackageInfo(const std::string& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw PackageError(dir + ": not a directory");
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

  // A byte order mark says UTF-8; otherwise the texts are in the ANSI code page.
  const std::string head = qpack::ReadRegularHead(script, 3);
  const bool utf8 = head == "\xEF\xBB\xBF";
  const auto text = [&](const char* key, const std::string& value) {
    if (!utf8) return Windows1252ToUtf8(value);
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
  info.URL = text("URL", rec.URL);
  info.hasLicense = fs::is_regular_file(PackageFile(dir, "license.txt"), ec);
  return info;
}
