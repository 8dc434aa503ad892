// The licence window.
#include "setup/show_license.hpp"

bool TForm2::Create() {
  // Single fixed border with the system menu; placed, not centred.
  return CreateFramed("TForm2", "License Agreement", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0,
                      200, 108, 427, 273);
}

LRESULT TForm2::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    ShowWindow(hwnd_, SW_HIDE);
    return 0;
  }
  return Default(msg, wp, lp);
}
