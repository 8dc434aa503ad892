// Start-up queries.
#include "setup/start_up.hpp"
#include "shell/file_ops.hpp"
#include "shell/wide_text.hpp"

#include <algorithm>

#include "shell/owned.hpp"

std::string ProgramDir() {
  const std::string s = ModulePath();
  const size_t sep = s.find_last_of("\\:");
  return sep == std::string::npos ? std::string() : s.substr(0, sep + 1);
}

int ColorDepth() {
  HDC dc = GetDC(nullptr);
  const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(nullptr, dc);
  return depth;
}

int ListSubDirs(const std::string& dir, std::vector<std::string>& names) {
  WIN32_FIND_DATAW fd;
  OwnedFind h(FindFirstFileW(Wide(dir + "\\*.*").c_str(), &fd));
  if (!h) return 0;
  int added = 0;
  const DWORD skip = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    const std::string name = Narrow(fd.cFileName);
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & skip) &&
        name != "." && name != "..") {
      names.push_back(name);
      ++added;
    }
  } while (FindNextFileW(h.Get(), &fd));
  return added;
}

void SortUnique(std::vector<std::string>& names) {
  auto less = [](const std::string& a, const std::string& b) {
    return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) < 0;
  };
  auto same = [](const std::string& a, const std::string& b) {
    return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0;
  };
  std::stable_sort(names.begin(), names.end(), less);
  names.erase(std::unique(names.begin(), names.end(), same), names.end());
}
