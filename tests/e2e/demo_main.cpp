// The demo's driver: starts setup.exe, waits for its window, saves a
// screenshot, reports the stored files it wrote, closes it and checks that
// they are gone again. Usage: demo_driver SETUP_EXE OUTDIR [SECONDS]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/driver.hpp"
#include "tests/e2e/screenshot.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: demo_driver SETUP_EXE OUTDIR [SECONDS]\n");
    return 2;
  }
  const std::string outDir = argv[2];
  const DWORD showMs = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3]) * 1000) : 1000;
  const std::string tmp = ScratchDir("demo");
  e2e::SetupProcess setup(argv[1], "", tmp);
  HWND main = setup.WaitForWindow("TForm1");
  if (!main) {
    std::printf("setup.exe showed no window\n");
    return 1;
  }
  Sleep(showMs);
  char caption[256] = {};
  GetWindowTextA(main, caption, sizeof caption);
  RECT rc;
  GetClientRect(main, &rc);
  std::printf("window: \"%s\", client %ld x %ld\n", caption, rc.right, rc.bottom);
  if (e2e::SaveWindowShot(main, outDir + "\\main-window.bmp"))
    std::printf("screenshot: main-window\n");
  int found = 0;
  for (const char* pattern : {"~fs*.exe", "~fs*.bmp"})
    for (const auto& name : List(tmp, pattern)) {
      std::printf("stored file written: %s (%zu bytes)\n", name.c_str(),
                  ReadFile(tmp + "\\" + name).size());
      ++found;
    }
  PostMessageA(main, WM_CLOSE, 0, 0);
  const long code = setup.WaitForExit(15000);
  const size_t left = List(tmp, "~fs*").size();
  std::printf("setup.exe ended with code %ld; stored files left behind: %zu\n", code, left);
  RemoveTree(tmp);
  return code == 0 && found == 2 && left == 0 ? 0 : 1;
}
