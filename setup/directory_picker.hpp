// The modal directory picker behind the "..." button.
#pragma once

#include <windows.h>

#include <string>

class DirectoryPicker {
 public:
  // Opens the platform's folder dialog at start. A typed directory that
  // does not exist is accepted after the user agrees to create it, and is
  // then created with all missing parents. False when cancelled.
  static bool Choose(HWND owner, const std::string& start, std::string& chosen);
};
