// TForm2: the licence window, created hidden at start-up and shown modally
// with the text of license.txt.
#pragma once

#include <string>

#include "setup/base_window.hpp"

namespace license_ids {
enum : int { Memo1 = 200, btnAccept = IDOK, btnRefuse = IDCANCEL };
}

class TForm2 : public BaseWindow<TForm2> {
 public:
  bool Create();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Puts text into Memo1 (line ends made CR LF for the edit control).
  void SetText(const std::string& text);
  // Shows the window modally over owner; IDOK for Accept, IDCANCEL for
  // Refuse and the close box.
  int ShowModal(HWND owner);

 private:
  friend class BaseWindow<TForm2>;
  int result_ = 0;
};
