// Errors to message boxes.
#include "setup/error_boundary.hpp"
#include "widgets/window_text.hpp"

#include "setup/application.hpp"
#include "widgets/base_window.hpp"
#include "widgets/timer_ex.hpp"

void ShowProgramError(HWND window, const std::exception& e) {
  HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (owner && !IsWindowVisible(owner)) owner = nullptr;
  ShowBox(owner, e.what(), Application::Title, MB_OK);
}

void InstallErrorBoundary() {
  WindowErrors::Report = ShowProgramError;
  TTimerEx::HandleException = [](const std::exception& e) { ShowProgramError(nullptr, e); };
}
