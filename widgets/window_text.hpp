// Text in windows and message boxes: the program's UTF-8 through the
// system's wide calls.
#pragma once

#include <windows.h>

#include <string>

#include "shell/wide_text.hpp"

inline void SetText(HWND window, const std::string& text) {
  SetWindowTextW(window, Wide(text).c_str());
}

inline std::string GetText(HWND window) {
  const int n = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), n + 1)));
  return Narrow(text);
}

inline int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), flags);
}
