// Prompts and progress on the main window.
#include "setup/window_prompts.hpp"

#include <commctrl.h>

#include "setup/application.hpp"
#include "setup/file_error_box.hpp"

void WindowPrompts::Message(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), Application::Title.c_str(), MB_OK);
}

TPrompts::Answer WindowPrompts::Question(const std::string& text) {
  const int r = MessageBoxA(owner_, text.c_str(), "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION);
  return r == IDYES ? Yes : r == IDNO ? No : Cancel;
}

TPrompts::Answer WindowPrompts::AbortOrIgnore(const std::string& text) {
  return FileErrorBox::Ask(owner_, text, "Warning") == IDABORT ? Abort : Ignore;
}

void WindowProgress::Status(const std::string& text) {
  SetWindowTextA(status_, text.c_str());
  UpdateWindow(status_);
}

void WindowProgress::FileProgress(int percent) { SendMessageA(bar_, PBM_SETPOS, percent, 0); }

void WindowProgress::ProcessPendingInput() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not for us to swallow: the caller stops and asks again afterwards.
      if (onQuit_) onQuit_(static_cast<int>(msg.wParam));
      return;
    }
    handleInput_(msg);
  }
}
