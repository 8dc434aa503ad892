// The licence window.
#include "setup/license_window.hpp"
#include "widgets/window_text.hpp"

#include "setup/control_ids.hpp"

namespace {

constexpr int kWidth = 427, kHeight = 273, kStrip = 57, kBorder = 8;

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
           int id, HFONT font) {
  HWND c = CreateWindowExW(0, Wide(cls).c_str(), Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                           x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

}  // namespace

bool LicenseWindow::Create() {
  // Single fixed border with the system menu; placed, not centred. The
  // class keeps the name that tools know the window by.
  if (!CreateFramed("TForm2", "License Agreement", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0,
                    200, 108, kWidth, kHeight))
    return false;
  const int stripTop = kHeight - kStrip;
  HFONT font = fonts_.Default.Get();
  Child(hwnd_, "EDIT", "",
        ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, kBorder,
        kBorder, kWidth - 2 * kBorder, stripTop - 2 * kBorder, ids::kLicenseText, font);
  Child(hwnd_, "BUTTON", "Accept", BS_DEFPUSHBUTTON | WS_TABSTOP, 124, stripTop + 16, 75, 25, IDOK,
        font);
  Child(hwnd_, "BUTTON", "Refuse", BS_PUSHBUTTON | WS_TABSTOP, 228, stripTop + 16, 75, 25, IDCANCEL,
        font);
  return true;
}

void LicenseWindow::SetText(const std::string& text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
    crlf += c;
    if (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) crlf += '\n';
  }
  ::SetText(GetDlgItem(hwnd_, ids::kLicenseText), crlf);
}

int LicenseWindow::ShowModal(HWND owner) {
  result_ = 0;
  EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(GetDlgItem(hwnd_, IDOK));
  MSG msg;
  while (result_ == 0 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (msg.message == WM_QUIT && result_ == 0) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    result_ = IDCANCEL;
  }
  EnableWindow(owner, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  SetActiveWindow(owner);
  return result_;
}

LRESULT LicenseWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) result_ = LOWORD(wp);
      return 0;
    case WM_CLOSE:
      result_ = IDCANCEL;
      return 0;
    // The multi-line text box keeps Tab and Enter for itself and asks its
    // parent as it would ask a dialog; unanswered, the focus stays there.
    case WM_NEXTDLGCTL:
      if (HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                                 : GetNextDlgTabItem(hwnd_, GetFocus(), wp != 0))
        SetFocus(next);
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:  // the read-only memo in the button-face colour
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return Default(msg, wp, lp);
}
