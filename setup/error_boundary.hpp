// The one place where the program's errors become what the user sees: a
// message box with the error's text, captioned with the application title.
#pragma once

#include <windows.h>

#include <exception>

void ShowProgramError(HWND window, const std::exception& e);
// Routes errors that escape any window's handler or the animation timer's
// tick to ShowProgramError; the window stays open and working.
void InstallErrorBoundary();
