// A warning box with exactly two buttons, "&Abort" and "&Ignore", which the
// platform's message box does not offer.
#pragma once

#include <windows.h>

#include <string>

class FileErrorBox {
 public:
  // IDABORT or IDIGNORE.
  static int Ask(HWND owner, const std::string& text, const std::string& caption);
};
