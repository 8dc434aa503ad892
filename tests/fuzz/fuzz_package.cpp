// libFuzzer: qpack check's reading of a package on arbitrary bytes: the
// first two bytes give the script's length, the script follows, and the
// rest is setup.dat (its ZIP directory, members and data).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "packager/package_check.hpp"

namespace {

void Write(const std::string& path, const char* data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(data, static_cast<long>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = "/tmp/fuzz_package." + std::to_string(getpid());
    mkdir(d.c_str(), 0700);
    Write(d + "/setup.exe", "MZ", 2);
    return d;
  }();
  if (size < 2) return 0;
  const size_t scriptSize = std::min<size_t>(data[0] | data[1] << 8, size - 2);
  const char* bytes = reinterpret_cast<const char*>(data) + 2;
  Write(dir + "/setup.ini", bytes, scriptSize);
  Write(dir + "/setup.dat", bytes + scriptSize, size - 2 - scriptSize);
  qpack::Report report;
  qpack::CheckPackage(dir, qpack::CheckOptions{}, report);
  report.Text();
  return 0;
}
