// Program entry: title, the two windows, the message loop.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "filestore/lzrw1kh.hpp"
#include "setup/application.hpp"
#include "setup/setup_main.hpp"
#include "setup/show_license.hpp"

namespace {

int ShowError(const char* text) {
  MessageBoxA(nullptr, text, Application::Title.c_str(), MB_OK);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  Application::Title = "Setup";
  int exitCode = 0;
  try {
    filestore::InitLzrw1KH();
    TForm1 form1;
    if (!form1.Create()) return ShowError("Cannot create the main window.");
    TForm2 form2;
    if (!form2.Create()) return ShowError("Cannot create the licence window.");
    // A start-up that asked to quit ends before any page can be used.
    form1.SetLicenseWindow(&form2);
    if (!form1.QuitRequested()) {
      ShowWindow(form1.Handle(), show);
      UpdateWindow(form1.Handle());
      PostMessageA(form1.Handle(), WM_APP_FIRSTSHOWN, 0, 0);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (form1.PreviewKey(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    exitCode = static_cast<int>(msg.wParam);
  } catch (const std::exception& e) {
    exitCode = ShowError(e.what());
  }
  filestore::DoneLzrw1KH();
  return exitCode;
}
