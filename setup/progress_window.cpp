// The progress window of unattended runs.
#include "setup/progress_window.hpp"
#include "widgets/window_text.hpp"

#include <commctrl.h>

namespace {

enum { kText = 300, kBar, kCancel };

const LayoutRow kControls[] = {
    {kText, "STATIC", "", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 12, 12, 336, 16},
    {kBar, "msctls_progress32", "", 0, 12, 36, 336, 14},
    {kCancel, "BUTTON", "Cancel", BS_DEFPUSHBUTTON | WS_TABSTOP, 273, 62, 75, 25},
};

}  // namespace

bool ProgressWindow::Create(const std::string& caption) {
  if (!CreateFramed("QvProgress", caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, -1, -1,
                    360, 98))
    return false;
  for (const LayoutRow& c : kControls) CreateControl(hwnd_, c, true, fonts_.Default.Get());
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  return true;
}

void ProgressWindow::SetText(const std::string& text) {
  ::SetText(GetDlgItem(hwnd_, kText), text);
  UpdateWindow(GetDlgItem(hwnd_, kText));
}

void ProgressWindow::SetPercent(int percent) {
  SendDlgItemMessageW(hwnd_, kBar, PBM_SETPOS, percent, 0);
}

void ProgressWindow::AllowCancel(bool allow) {
  EnableWindow(GetDlgItem(hwnd_, kCancel), allow);
  EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE,
                 MF_BYCOMMAND | (allow ? MF_ENABLED : MF_GRAYED));
}

bool ProgressWindow::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for whoever loops next
      cancelled_ = true;
      break;
    }
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return cancelled_;
}

LRESULT ProgressWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if ((msg == WM_COMMAND && (LOWORD(wp) == kCancel || LOWORD(wp) == IDCANCEL)) || msg == WM_CLOSE) {
    cancelled_ = true;
    return 0;
  }
  return Default(msg, wp, lp);
}
