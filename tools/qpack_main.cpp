// qpack: the packager's tool. Its commands live in packager/; this finds
// where the tool itself lies, since the setup.exe to ship is looked for
// beside it, and runs the command.
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "packager/commands.hpp"

namespace fs = std::filesystem;

namespace {

fs::path ToolPath(const char* argv0) {
#ifdef _WIN32
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return fs::path(std::wstring(buf, n));
#else
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return self;
#endif
  return fs::absolute(argv0);
}

}  // namespace

#ifdef _WIN32
// The Windows build reads its arguments and names in the ANSI code page:
// what is not ASCII would arrive bent, so it is refused.
bool AsciiOnly(const std::wstring& text) {
  for (const wchar_t c : text)
    if (c > 0x7F) return false;
  return true;
}
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  if (!AsciiOnly(GetCommandLineW()) || !AsciiOnly(ToolPath(argv[0]).wstring())) {
    std::cerr << "qpack: the Windows build takes ASCII paths and names only; use qpack on "
                 "Linux for others\n";
    return qpack::kExitUsage;
  }
#endif
  const fs::path dir = ToolPath(argv[0]).parent_path();
  qpack::Context context;
  // Beside the tool; in a build tree the native tool's neighbour build/win
  // holds the 32-bit program that ships.
  context.setupCandidates = {(dir / "setup.exe").string(),
                             (dir.parent_path() / "win" / "setup.exe").string()};
  return qpack::RunQpack(context, std::vector<std::string>(argv + 1, argv + argc), std::cout,
                         std::cerr);
}
