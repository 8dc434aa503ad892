// Starts setup.exe many times, alternately in install and uninstall mode,
// and counts the starts whose main window never shows. A rare hang at start
// needs hundreds of starts to be seen at all.
// Usage: start_stress SETUP_EXE WORKDIR N
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/driver.hpp"
#include "tests/win/win_test_util.hpp"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: start_stress SETUP_EXE WORKDIR N\n");
    return 2;
  }
  const std::string dir = argv[2], exe = dir + "\\setup.exe", tmp = dir + "\\tmp";
  const int n = std::atoi(argv[3]);
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA(tmp.c_str(), nullptr);
  if (!CopyFileA(argv[1], exe.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s to %s\n", argv[1], exe.c_str());
    return 2;
  }
  wintest::WriteFile(dir + "\\setup.ini",
                     "[MAIN]\r\nAppName=StressApp\r\nInstPath=C:\\StressApp\r\n"
                     "FolderName=StressApp\r\nDiskSpace=1000\r\n[GROUPS]\r\n[FILES]\r\n");
  int hangs = 0;
  for (int i = 1; i <= n; ++i) {
    const bool uninstall = i % 2 == 0;
    const char* mode = uninstall ? "uninstall" : "install";
    // Leaving scope terminates a process that is still running.
    e2e::SetupProcess setup(exe, uninstall ? "/u:StressApp" : "", tmp);
    HWND main = setup.WaitForWindow("TForm1", 15000);
    if (!main) {
      ++hangs;
      // A message box instead of the window is a different fault; say which.
      HWND box = setup.FindWindow("#32770");
      const long code = setup.WaitForExit(0);
      std::printf("start %d (%s): no window%s%s%s\n", i, mode,
                  code == -1 ? ", still running" : ", ended", box ? ", message: " : "",
                  box ? e2e::MessageText(box).c_str() : "");
      std::fflush(stdout);
      continue;
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (setup.WaitForExit(10000) == -1) {
      std::printf("start %d (%s): did not end after WM_CLOSE\n", i, mode);
      std::fflush(stdout);
    }
  }
  std::printf("starts: %d, hangs: %d\n", n, hangs);
  return hangs == 0 ? 0 : 1;
}
