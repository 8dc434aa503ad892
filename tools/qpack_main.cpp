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
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return fs::path(std::string(buf, n));
#else
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return self;
#endif
  return fs::absolute(argv0);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = ToolPath(argv[0]).parent_path();
  qpack::Context context;
  // Beside the tool; in a build tree the native tool's neighbour build/win
  // holds the 32-bit program that ships.
  context.setupCandidates = {(dir / "setup.exe").string(),
                             (dir.parent_path() / "win" / "setup.exe").string()};
  return qpack::RunQpack(context, std::vector<std::string>(argv + 1, argv + argc), std::cout,
                         std::cerr);
}
