// libFuzzer: the setup script reader on arbitrary bytes, as setup.exe and
// qpack check read a script: the record, its macros, and the key lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/setup_rec.hpp"
#include "setup/ini_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TIniFile ini(std::string(reinterpret_cast<const char*>(data), size));
  TSetupRec rec;
  LoadSetupRec(rec, ini);
  ExpandGroupDirs(rec, rec.InstPath, "C:\\WINDOWS");
  int64_t space = 0;
  TryStrToInt64(rec.DiskSpace, space);
  IsOutOfRangeNumber(rec.DiskSpace);
  IsValidAppName(rec.AppName);
  for (const char* section : {"MAIN", "GROUPS", "FILES"}) {
    ini.SectionLine(section);
    for (const std::string& key : ini.ReadKeys(section)) ini.LinesOf(section, key);
  }
  for (size_t i = 0; i < rec.FileCount(); ++i)
    GroupDir(rec, rec.Files.Get("Group" + std::to_string(i)), rec.InstPath);
  return 0;
}
