// Prompts and progress on the main window.
#include "setup/window_prompts.hpp"
#include "widgets/window_text.hpp"

#include <commctrl.h>

#include "setup/application.hpp"
#include "setup/file_error_box.hpp"

void WindowPrompts::Message(const std::string& text) {
  ShowBox(owner_, text, Application::Title, MB_OK);
}

TPrompts::Answer WindowPrompts::Question(const std::string& text) {
  const int r = ShowBox(owner_, text, "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION);
  return r == IDYES ? Yes : r == IDNO ? No : Cancel;
}

TPrompts::Answer WindowPrompts::AbortOrIgnore(const std::string& text) {
  return FileErrorBox::Ask(owner_, text, "Warning") == IDABORT ? Abort : Ignore;
}

void WindowProgress::Status(const std::string& text) {
  SetText(status_, text);
  UpdateWindow(status_);
}

void WindowProgress::FileProgress(int percent) { SendMessageW(bar_, PBM_SETPOS, percent, 0); }

void WindowProgress::ProcessPendingInput() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not for us to swallow: the caller stops and asks again afterwards.
      if (onQuit_) onQuit_(static_cast<int>(msg.wParam));
      return;
    }
    handleInput_(msg);
  }
}
