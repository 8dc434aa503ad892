// A warning box with exactly two buttons, "&Abort" and "&Ignore", which the
// platform's message box does not offer.
#pragma once

#include <windows.h>

#include <string>

// IDABORT or IDIGNORE.
int AbortIgnoreBox(HWND owner, const std::string& text, const std::string& caption);
