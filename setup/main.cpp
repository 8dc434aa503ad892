// Program entry: title, the two windows, the message loop. Every way the
// program ends comes back here, so the windows' destructors remove the
// stored files.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "setup/application.hpp"
#include "setup/elevated_restart.hpp"
#include "setup/error_boundary.hpp"
#include "setup/license_window.hpp"
#include "setup/main_window.hpp"
#include "setup/start_up.hpp"
#include "setup/unattended.hpp"
#include "shell/file_ops.hpp"
#include "shell/wide_text.hpp"
#include "widgets/window_text.hpp"

namespace {

int ShowError(const std::string& text) {
  ShowBox(nullptr, text, Application::Title, MB_OK);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  // A download folder may hold a planted DLL of a system name: libraries
  // come from the system folder only. Windows 7 without its 2011 update
  // lacks the call; there at least the current folder leaves the search.
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (!setDirectories || !setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  Application::Title = "Setup";
  InstallErrorBoundary();
  const std::string commandLine = Narrow(GetCommandLineW());
  if (IsHelpRequest(commandLine)) {
    ShowBox(nullptr, UsageText(), "Setup", MB_OK);
    return 0;
  }
  TRunSwitches switches = ParseSwitches(commandLine);
  // A path with half a character would be taken as another path.
  if (!IsWholeUtf16(GetCommandLineW()))
    switches.Error = "The command line holds half a UTF-16 character; nothing was done.";
  // A single setup file carries its package; every part is checked before
  // anything else happens.
  RemoveStaleTempFolders();
  CarriedPackage carried;
  const std::string program = ModulePath();
  const CarriedPackage::Found found = carried.Open(program);
  Application::Package =
      found == CarriedPackage::Found::Ready ? carried.Place() : PlaceBeside(ProgramDir(), program);
  // A machine-wide run without administrator rights hands itself to a copy
  // that Windows elevates, once the package is known to be whole.
  int elevatedExit = 0;
  if (found != CarriedPackage::Found::Damaged && found != CarriedPackage::Found::Unpackable &&
      RanElevatedCopy(switches, commandLine, show, elevatedExit))
    return elevatedExit;
  if (switches.Unattended()) {
    // No one is at the screen: the system's own boxes (no disk in a drive,
    // a crash) must not wait for a click either; the unzip tool inherits this.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (found == CarriedPackage::Found::Damaged)
      return RefuseUnattended(
          switches, std::string(CarriedPackage::kDamagedMessage) + " (" + carried.Problem() + ")");
    if (found == CarriedPackage::Found::Unpackable)
      return RefuseUnattended(switches, std::string(CarriedPackage::kUnpackableMessage) + " (" +
                                            carried.Problem() + ")");
    return RunUnattended(switches, commandLine);
  }
  if (found == CarriedPackage::Found::Damaged) return ShowError(CarriedPackage::kDamagedMessage);
  if (found == CarriedPackage::Found::Unpackable)
    return ShowError(CarriedPackage::kUnpackableMessage);
  if (!switches.Error.empty()) return ShowError(switches.Error);
  int exitCode = 0;
  try {
    MainWindow mainWindow;
    if (!mainWindow.Create()) return ShowError("Cannot create the main window.");
    LicenseWindow licenseWindow;
    if (!licenseWindow.Create()) return ShowError("Cannot create the licence window.");
    mainWindow.SetLicenseWindow(&licenseWindow);
    // A start-up that asked to quit ends before any page can be used.
    if (!mainWindow.QuitRequested()) {
      ShowWindow(mainWindow.Handle(), show);
      UpdateWindow(mainWindow.Handle());
      PostMessageW(mainWindow.Handle(), WM_APP_FIRSTSHOWN, 0, 0);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) mainWindow.TakeMessage(msg);
    exitCode = static_cast<int>(msg.wParam);
  } catch (const std::exception& e) {
    ShowProgramError(nullptr, e);
    exitCode = 1;
  }
  return exitCode;
}
