// The demo's driver: installs the sample product through setup.exe's pages
// as a user would, then uninstalls it from its Uninstall entry, saving a
// screenshot of each step and reporting what it saw.
// Usage: demo_driver SETUP_EXE OUTDIR [SECONDS]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "setup/control_ids.hpp"
#include "tests/e2e/driver.hpp"
#include "tests/e2e/screenshot.hpp"
#include "tests/win/link_reader.hpp"
#include "tests/win/win_test_util.hpp"

using namespace wintest;

namespace {

std::string g_out;
DWORD g_pause = 1000;

void Shot(HWND hwnd, const char* name) {
  Sleep(g_pause);
  if (e2e::SaveWindowShot(hwnd, g_out + "\\" + name + ".bmp"))
    std::printf("screenshot: %s\n", name);
}

bool WaitForText(HWND control, const std::string& text) {
  for (int i = 0; i < 200; ++i) {
    if (e2e::WindowText(control) == text) return true;
    Sleep(50);
  }
  return false;
}

std::string LinkText(const std::string& file) {
  const LinkFields link = ReadLink(file);
  return link.path + (link.args.empty() ? "" : " " + link.args);
}

// What an installation left: files, shortcuts, registry values, the log.
void Summarize(const std::string& instPath) {
  std::printf("--- installed files\n");
  std::vector<std::string> lines;
  const std::string log = ReadFile(instPath + "\\setup.log");
  std::string path;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find("\r\n", start);
    if (end == std::string::npos) end = log.size();
    lines.push_back(log.substr(start, end - start));
    start = end + 2;
  }
  for (const std::string& line : lines) {
    const size_t mark = line.rfind(">>>> ", 0) == 0 ? 5 : line.rfind(">> ", 0) == 0 ? 3 : 0;
    if (!mark) continue;
    const std::string file = line.substr(mark);
    const bool lnk = file.size() > 4 && file.substr(file.size() - 4) == ".lnk";
    std::printf("%s %s%s\n", Exists(file) ? "ok     " : "MISSING", file.c_str(),
                lnk ? (" -> " + LinkText(file)).c_str() : "");
  }
  std::printf("--- registry (HKEY_LOCAL_MACHINE)\n");
  const std::string app = "Quorvane Notes";
  const std::string maker = "Software\\Quorvane\\" + app;
  const std::string paths =
      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + app + ".exe";
  const std::string un = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app;
  std::printf("%s\\Path = %s\n", maker.c_str(), RegValue(maker.c_str(), "Path").c_str());
  std::printf("%s\\(default) = %s\n", paths.c_str(), RegValue(paths.c_str(), "").c_str());
  std::printf("%s\\DisplayName = %s\n", un.c_str(), RegValue(un.c_str(), "DisplayName").c_str());
  std::printf("%s\\UninstallString = %s\n", un.c_str(),
              RegValue(un.c_str(), "UninstallString").c_str());
  std::printf("--- setup.log\n%s", log.c_str());
}

// Install mode: licence, start page, options page, Setup, the result and
// the started application.
bool WalkInstall(const std::string& exe, const std::string& tmp, std::string& instPath) {
  e2e::SetupProcess setup(exe, "", tmp);
  if (HWND licence = setup.WaitForWindow("TForm2", 10000)) {
    Shot(licence, "1-licence");
    e2e::PressButton(licence, IDOK);
    std::printf("licence: accepted\n");
  }
  HWND main = setup.WaitForWindow("TForm1");
  if (!main || !WaitForText(GetDlgItem(main, ids::kProceedLine),
                            "Click here to proceed or press ESC to abort!")) {
    std::printf("setup.exe showed no start page\n");
    return false;
  }
  std::printf("window: \"%s\"\n", e2e::WindowText(main).c_str());
  Shot(main, "2-start-page");
  int found = 0;
  for (const std::string& own : List(tmp, "qvsetup-*", true))
    for (const char* pattern : {"~fs*.exe", "~fs*.bmp"})
      for (const auto& name : List(tmp + "\\" + own, pattern)) {
        std::printf("stored file written: %s\\%s (%zu bytes)\n", own.c_str(), name.c_str(),
                    ReadFile(tmp + "\\" + own + "\\" + name).size());
        ++found;
      }
  e2e::ClickControl(GetDlgItem(main, ids::kProceedLine));
  Shot(main, "3-options-page");
  std::printf("installation path: %s\nprogram folder: %s\n",
              e2e::WindowText(GetDlgItem(main, ids::kPathEdit)).c_str(),
              e2e::WindowText(GetDlgItem(main, ids::kFolderEdit)).c_str());
  instPath = e2e::WindowText(GetDlgItem(main, ids::kPathEdit));
  const DWORD started = GetTickCount();
  e2e::ClickControl(GetDlgItem(main, ids::kSetupButton));
  bool completed = false;
  for (int boxes = 0; boxes < 4; ++boxes) {
    HWND box = setup.WaitForMessageBox(600000);  // large payloads take minutes
    if (!box) break;
    const std::string text = e2e::MessageText(box);
    std::printf("message: %s\n", text.c_str());
    if (e2e::WindowText(box) == "Confirm") {
      e2e::PressButton(box, IDYES);
      Sleep(300);
      continue;
    }
    if (text == "Setup Completed!") {
      std::printf("installation took %.1f s\n", (GetTickCount() - started) / 1000.0);
      Sleep(g_pause);
      Shot(box, "5-setup-completed");
      completed = true;
    }
    e2e::PressButton(box, IDOK);
    if (text == "Setup Completed!" || text == "Error - Setup incomplete!") break;
  }
  const long code = setup.WaitForExit(15000);
  HWND app = nullptr;
  for (int i = 0; i < 100 && !app; ++i) {
    app = FindWindowA("QuorvaneNotes", nullptr);
    if (!app) Sleep(100);
  }
  std::printf("application started: %s\n", app ? "yes" : "no");
  if (app) {
    Shot(app, "6-application");
    PostMessageA(app, WM_CLOSE, 0, 0);
  }
  Summarize(instPath);
  const size_t left = List(tmp, "*", true).size();
  std::printf("setup.exe ended with code %ld; files left in the temporary folder: %zu\n", code,
              left);
  return completed && app && code == 0 && found == 2 && left == 0;
}

// Uninstall mode, started as Windows would from the Uninstall entry: the
// panel with Proceed highlighted, then Proceed.
bool WalkUninstall(const std::string& tmp, const std::string& instPath) {
  const std::string command = RegValue(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane Notes", "UninstallString");
  std::printf("--- uninstall: %s\n", command.c_str());
  e2e::SetupProcess setup(command, tmp);
  HWND main = setup.WaitForWindow("TForm1");
  if (!main) return false;
  HWND panel = GetDlgItem(main, ids::kUninstallPanel);
  e2e::MoveMouse(GetDlgItem(panel, ids::kProceedButton), 20, 12);
  Shot(main, "7-uninstall-panel");
  e2e::ClickControl(GetDlgItem(panel, ids::kProceedButton));
  HWND box = setup.WaitForMessageBox(30000);
  const std::string text = box ? e2e::MessageText(box) : "<none>";
  std::printf("message: %s\n", text.c_str());
  if (box) {
    Shot(box, "8-uninstalled");
    e2e::Answer(box, IDOK);
  }
  const long code = setup.WaitForExit(15000);
  std::printf("uninstall ended with code %ld; installation directory %s\n", code,
              Exists(instPath) ? "still there" : "gone");
  return code == 0 && text == "Application removed!" && !Exists(instPath);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: demo_driver SETUP_EXE OUTDIR [SECONDS]\n");
    return 2;
  }
  g_out = argv[2];
  if (argc > 3) g_pause = static_cast<DWORD>(std::atoi(argv[3]) * 1000);
  CoInitialize(nullptr);
  const std::string tmp = ScratchDir("demo");
  std::string instPath;
  const bool ok = WalkInstall(argv[1], tmp, instPath) && WalkUninstall(tmp, instPath);
  RemoveTree(tmp);
  return ok ? 0 : 1;
}
