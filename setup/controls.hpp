// Building blocks of the windows: controls made from layout rows, the
// fonts of the layout tables, and the owner-drawn labels of one parent.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/owned.hpp"
#include "widgets/labels.hpp"

// One row of a layout table: a child control and where it sits.
struct LayoutRow {
  int id;
  const char* cls;
  const char* text;
  DWORD style;
  int x, y, w, h;
};

constexpr DWORD kLabelStyle = SS_OWNERDRAW;
constexpr DWORD kCheckBoxStyle = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr COLORREF kNavy = RGB(0, 0, 128), kOrange = RGB(255, 128, 0), kFuchsia = RGB(255, 0, 255),
                   kLime = RGB(0, 255, 0);

HWND CreateControl(HWND parent, const LayoutRow& c, bool visible, HFONT font);
void ShowControls(HWND parent, const std::vector<int>& ids, bool visible);
std::string ControlText(HWND control);

// The fonts of the layout tables: the window's default, "MS Sans Serif" of
// 11 pixels character height, and bold Arial of a given height.
struct Fonts {
  Fonts();
  OwnedGdi<HFONT> Default;
  HFONT BoldArial(int height);

 private:
  std::map<int, OwnedGdi<HFONT>> bold_;
};

// How one label looks.
struct LabelLook {
  int id;
  bool rotated;  // drawn at 90 degrees
  TTextStyle style;
  int height;
  bool underline;
  COLORREF color;
  TAlignment align;
};

// The owner-drawn labels (and frames) of one parent window. They are
// see-through: each is painted over what the parent shows behind it,
// overlapping labels included.
class LabelLayer {
 public:
  void Add(const LabelLook& look);
  void AddFrame(int id) { frames_.push_back(id); }
  TCustomLabel* Find(int id);
  // One-line labels grow to their text, right-aligned ones to the left.
  void FitToText(HWND parent, const std::vector<int>& ids);
  // The parent's painting: WM_PAINT draws backdrop (the parent's own face),
  // WM_ERASEBKGND is left to it, WM_DRAWITEM draws a label over it. True,
  // with result set, for those three.
  bool Paint(HWND parent, UINT msg, LPARAM lp, const std::function<void(HDC)>& backdrop,
             LRESULT& result);
  // Paints an owner-drawn item; backdrop paints the parent's own face.
  bool DrawItem(HWND parent, const DRAWITEMSTRUCT& dis, const std::function<void(HDC)>& backdrop);

 private:
  static void PaintLabel(HDC dc, HWND control, TCustomLabel& label, const RECT& rc);
  std::map<int, std::unique_ptr<TCustomLabel>> labels_;
  std::vector<int> frames_;
};
