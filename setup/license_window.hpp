// The licence window, created hidden at start-up and shown modally with the
// text of license.txt.
#pragma once

#include <string>

#include "setup/controls.hpp"
#include "widgets/base_window.hpp"

class LicenseWindow : public BaseWindow<LicenseWindow> {
 public:
  bool Create();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Puts text into the text box (line ends made CR LF for the edit control).
  void SetText(const std::string& text);
  // Shows the window modally over owner; IDOK for Accept, IDCANCEL for
  // Refuse and the close box.
  int ShowModal(HWND owner);

 private:
  friend class BaseWindow<LicenseWindow>;
  int result_ = 0;
  Fonts fonts_;
};
