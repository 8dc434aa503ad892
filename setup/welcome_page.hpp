// The start page (WelcomePage, as the platform has a StartPage of its own):
// the welcome text over the background picture and the
// clickable line that leads on to the options page.
#pragma once

#include <windows.h>

#include <string>

#include "setup/controls.hpp"

class WelcomePage {
 public:
  void Create(HWND parent, HFONT font, LabelLayer& labels);
  // "Welcome", "to", the name, "setup" on four lines, the label as high as
  // they need; colour is the text's colour.
  void SetWelcome(const std::string& appName, COLORREF color);
  // The line's text appears once the page is ready to be used.
  void ShowProceedLine();
  void Hide();
  // True for the click on the proceed line.
  static bool IsProceedClick(int id, int code);

 private:
  HWND parent_ = nullptr;
  LabelLayer* labels_ = nullptr;
};
