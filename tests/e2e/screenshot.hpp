// Saves what the screen shows of a window as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

bool SaveWindowShot(HWND hwnd, const std::string& bmpPath);

}  // namespace e2e
