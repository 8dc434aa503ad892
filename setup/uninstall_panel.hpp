// The uninstall panel: the stored bitmap, the application's name, the
// warning, and two panels used as buttons, Proceed and Abort, highlighted
// under the mouse. Their clicks reach the parent as WM_COMMAND.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "setup/controls.hpp"
#include "widgets/base_window.hpp"

class PanelButton : public BaseWindow<PanelButton> {
 public:
  bool Create(HWND panel, const LayoutRow& row, HFONT font);
  void SetHot(bool hot);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend class BaseWindow<PanelButton>;
  void Paint();
  bool hot_ = false;
  HFONT font_ = nullptr;
};

class UninstallPanel : public BaseWindow<UninstallPanel> {
 public:
  bool Create(HWND parent, Fonts& fonts);
  // Shows the panel for name, over the bitmap in bitmapFile (plain face
  // without it).
  void Prepare(const std::string& name, const std::string& bitmapFile);
  // The removal's progress: the buttons go, the text shows in 10 points.
  void ShowProgress(const char* text);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend class BaseWindow<UninstallPanel>;
  void PaintBackdrop(HDC dc);
  void Hover(HWND button);

  LabelLayer labels_;
  PanelButton proceed_, abort_;
  OwnedGdi<HBITMAP> bitmap_;
  HWND hot_ = nullptr;
};
