// The licence window.
#include "setup/show_license.hpp"

namespace {

constexpr int kWidth = 427, kHeight = 273, kStrip = 57, kBorder = 8;

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
           int id) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return c;
}

}  // namespace

bool TForm2::Create() {
  // Single fixed border with the system menu; placed, not centred.
  if (!CreateFramed("TForm2", "License Agreement", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0,
                    200, 108, kWidth, kHeight))
    return false;
  const int stripTop = kHeight - kStrip;
  Child(hwnd_, "EDIT", "",
        ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, kBorder,
        kBorder, kWidth - 2 * kBorder, stripTop - 2 * kBorder, license_ids::Memo1);
  Child(hwnd_, "BUTTON", "Accept", BS_DEFPUSHBUTTON | WS_TABSTOP, 124, stripTop + 16, 75, 25,
        license_ids::btnAccept);
  Child(hwnd_, "BUTTON", "Refuse", BS_PUSHBUTTON | WS_TABSTOP, 228, stripTop + 16, 75, 25,
        license_ids::btnRefuse);
  return true;
}

void TForm2::SetText(const std::string& text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
    crlf += c;
    if (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) crlf += '\n';
  }
  SetDlgItemTextA(hwnd_, license_ids::Memo1, crlf.c_str());
}

int TForm2::ShowModal(HWND owner) {
  result_ = 0;
  EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(GetDlgItem(hwnd_, license_ids::btnAccept));
  MSG msg;
  while (result_ == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
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

LRESULT TForm2::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) result_ = LOWORD(wp);
      return 0;
    case WM_CLOSE:
      result_ = IDCANCEL;
      return 0;
    case WM_CTLCOLORSTATIC:  // the read-only memo in the button-face colour
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return Default(msg, wp, lp);
}
