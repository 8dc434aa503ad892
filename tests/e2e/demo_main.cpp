// The demo's driver: walks setup.exe through its pages as a user would,
// saving a screenshot of each, and reports what it saw.
// Usage: demo_driver SETUP_EXE OUTDIR [SECONDS]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "setup/control_ids.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/screenshot.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

std::string g_out;
DWORD g_pause = 1000;

void Shot(HWND hwnd, const char* name) {
  Sleep(g_pause);
  if (e2e::SaveWindowShot(hwnd, g_out + "\\" + name + ".bmp")) std::printf("screenshot: %s\n", name);
}

bool WaitForText(HWND control, const std::string& text) {
  for (int i = 0; i < 200; ++i) {
    if (e2e::WindowText(control) == text) return true;
    Sleep(50);
  }
  return false;
}

// Install mode: licence, start page, options page, then Cancel.
bool WalkInstall(const std::string& exe, const std::string& tmp) {
  e2e::SetupProcess setup(exe, "", tmp);
  if (HWND licence = setup.WaitForWindow("TForm2", 10000)) {
    Shot(licence, "1-licence");
    e2e::PressButton(licence, IDOK);
    std::printf("licence: accepted\n");
  }
  HWND main = setup.WaitForWindow("TForm1");
  if (!main || !WaitForText(GetDlgItem(main, ids::lbPassword),
                            "Click here to proceed or press ESC to abort!")) {
    std::printf("setup.exe showed no start page\n");
    return false;
  }
  std::printf("window: \"%s\"\n", e2e::WindowText(main).c_str());
  Shot(main, "2-start-page");
  int found = 0;
  for (const char* pattern : {"~fs*.exe", "~fs*.bmp"})
    for (const auto& name : List(tmp, pattern)) {
      std::printf("stored file written: %s (%zu bytes)\n", name.c_str(),
                  ReadFile(tmp + "\\" + name).size());
      ++found;
    }
  e2e::ClickControl(GetDlgItem(main, ids::lbPassword));
  Shot(main, "3-options-page");
  std::printf("installation path: %s\nprogram folder: %s\n",
              e2e::WindowText(GetDlgItem(main, ids::edPath)).c_str(),
              e2e::WindowText(GetDlgItem(main, ids::edFolder)).c_str());
  e2e::ClickControl(GetDlgItem(main, ids::btnCancel));
  if (HWND box = setup.WaitForMessageBox(5000)) {
    std::printf("message: %s\n", e2e::MessageText(box).c_str());
    e2e::PressButton(box, IDOK);
  }
  const long code = setup.WaitForExit(15000);
  const size_t left = List(tmp, "~fs*").size();
  std::printf("setup.exe ended with code %ld; stored files left behind: %zu\n", code, left);
  return code == 0 && found == 2 && left == 0;
}

// Uninstall mode: the panel with Proceed highlighted, then Abort.
bool WalkUninstall(const std::string& exe, const std::string& tmp) {
  e2e::SetupProcess setup(exe, "\"/u:Quorvane Notes\"", tmp);
  HWND main = setup.WaitForWindow("TForm1");
  if (!main) return false;
  HWND panel = GetDlgItem(main, ids::plUninst);
  e2e::MoveMouse(GetDlgItem(panel, ids::uninst3), 20, 12);
  Shot(main, "4-uninstall-panel");
  e2e::ClickControl(GetDlgItem(panel, ids::uninst4));
  const long code = setup.WaitForExit(15000);
  std::printf("uninstall panel: Abort ended setup.exe with code %ld\n", code);
  return code == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: demo_driver SETUP_EXE OUTDIR [SECONDS]\n");
    return 2;
  }
  g_out = argv[2];
  if (argc > 3) g_pause = static_cast<DWORD>(std::atoi(argv[3]) * 1000);
  const std::string tmp = ScratchDir("demo");
  const bool ok = WalkInstall(argv[1], tmp) && WalkUninstall(argv[1], tmp);
  RemoveTree(tmp);
  return ok ? 0 : 1;
}
