// The small window of an unattended run with progress (/SP): the file being
// installed, a progress bar and Cancel. It asks nothing.
#pragma once

#include <windows.h>

#include <string>

#include "setup/controls.hpp"
#include "widgets/base_window.hpp"

class ProgressWindow : public BaseWindow<ProgressWindow> {
 public:
  bool Create(const std::string& caption);
  void SetText(const std::string& text);
  void SetPercent(int percent);
  // Handles what is pending (Cancel, painting); true once Cancel was pressed
  // or the window was closed.
  bool Pump();
  // Greys Cancel and the close box where a stop would leave half a job.
  void AllowCancel(bool allow);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend class BaseWindow<ProgressWindow>;
  Fonts fonts_;
  bool cancelled_ = false;
};
