// The uninstall panel and its buttons.
#include "setup/uninstall_panel.hpp"
#include "widgets/window_text.hpp"

#include "setup/control_ids.hpp"

namespace {

constexpr UINT WM_APP_HOVER = WM_APP + 2;  // lParam: the button under the mouse

using namespace ids;

const LayoutRow kLabels[] = {
    {kPanelNotice, "STATIC", "Quorvane Setup", kLabelStyle, 389, 83, 18, 164},
    {kUninstallTitle, "STATIC", "Uninstall", kLabelStyle, 161, 77, 100, 20},
    {kUninstallStatus, "STATIC", "", kLabelStyle, 0, 109, 405, 37},
    {kRemovalWarning, "STATIC",
     "Warning! This will remove this application from your system permanently.", kLabelStyle, 64,
     180, 276, 36},
};
const LayoutRow kProceed{kProceedButton, "TPanelButton", "Proceed", 0, 104, 218, 87, 25};
const LayoutRow kAbort{kAbortButton, "TPanelButton", "Abort", 0, 214, 218, 87, 25};

const LabelLook kLooks[] = {
    {kPanelNotice, true, TTextStyle::tsNone, 15, false, kLime, TAlignment::taLeftJustify},
    {kUninstallTitle, false, TTextStyle::tsRecessed, 16, false, kFuchsia,
     TAlignment::taLeftJustify},
    {kUninstallStatus, false, TTextStyle::tsRecessed, 32, false, kFuchsia, TAlignment::taCenter},
    {kRemovalWarning, false, TTextStyle::tsNone, 12, false, kLime, TAlignment::taCenter},
};

}  // namespace

bool PanelButton::Create(HWND panel, const LayoutRow& row, HFONT font) {
  font_ = font;
  return CreateOwnWindow(row.cls, row.text, WS_CHILD | WS_VISIBLE, 0, row.x, row.y, row.w, row.h,
                         panel, row.id, nullptr);
}

void PanelButton::SetHot(bool hot) {
  if (hot == hot_) return;
  hot_ = hot;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void PanelButton::Paint() {
  // Fuchsia with white text; lime with black text while highlighted.
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT rc;
  GetClientRect(hwnd_, &rc);
  OwnedGdi<HBRUSH> brush(CreateSolidBrush(hot_ ? kLime : kFuchsia));
  FillRect(dc, &rc, brush.Get());
  DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
  const std::string text = ControlText(hwnd_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, hot_ ? RGB(0, 0, 0) : RGB(255, 255, 255));
  Selected font(dc, font_);
  DrawTextW(dc, Wide(text).c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EndPaint(hwnd_, &ps);
}

LRESULT PanelButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      SendMessageW(GetParent(hwnd_), WM_APP_HOVER, 0, reinterpret_cast<LPARAM>(hwnd_));
      return 0;
    case WM_LBUTTONUP:
      SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd_));
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
  }
  return Default(msg, wp, lp);
}

bool UninstallPanel::Create(HWND parent, Fonts& fonts) {
  RECT rc;
  GetClientRect(parent, &rc);
  if (!CreateOwnWindow("TUninstPanel", "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, rc.right, rc.bottom,
                       parent, kUninstallPanel, nullptr))
    return false;
  for (const LayoutRow& c : kLabels) CreateControl(hwnd_, c, true, fonts.Default.Get());
  for (const LabelLook& look : kLooks) labels_.Add(look);
  return proceed_.Create(hwnd_, kProceed, fonts.BoldArial(12)) &&
         abort_.Create(hwnd_, kAbort, fonts.BoldArial(12));
}

void UninstallPanel::Prepare(const std::string& name, const std::string& bitmapFile) {
  SetText(GetDlgItem(hwnd_, kUninstallStatus), name);
  if (!bitmapFile.empty())
    bitmap_.Reset(static_cast<HBITMAP>(
        LoadImageW(nullptr, Wide(bitmapFile).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  ShowWindow(hwnd_, SW_SHOW);
}

void UninstallPanel::ShowProgress(const char* text) {
  ShowControls(hwnd_, {kUninstallTitle, kProceedButton, kAbortButton}, false);
  labels_.Find(kUninstallStatus)->Font.Height = 13;  // 10 points
  HWND status = GetDlgItem(hwnd_, kUninstallStatus);
  SetText(status, text);
  InvalidateRect(status, nullptr, FALSE);
  UpdateWindow(status);
}

void UninstallPanel::Hover(HWND button) {
  // The highlight moves only when the mouse reaches the other button.
  if (hot_ == button) return;
  if (hot_) (hot_ == proceed_.Handle() ? proceed_ : abort_).SetHot(false);
  hot_ = button;
  (button == proceed_.Handle() ? proceed_ : abort_).SetHot(true);
}

void UninstallPanel::PaintBackdrop(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  if (bitmap_) {
    // Image3: the stored bitmap stretched over the whole panel.
    BITMAP bm;
    GetObject(bitmap_.Get(), sizeof bm, &bm);
    OwnedMemoryDC mem(CreateCompatibleDC(dc));
    Selected picture(mem.Get(), bitmap_.Get());
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, rc.right, rc.bottom, mem.Get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  } else {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  }
  // Image2: the icon, centred in 45 x 47 at 1, 188.
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  DrawIconEx(dc, 1 + (45 - 32) / 2, 188 + (47 - 32) / 2, icon, 32, 32, 0, nullptr, DI_NORMAL);
}

LRESULT UninstallPanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (LRESULT r; labels_.Paint(
          hwnd_, msg, lp, [this](HDC dc) { PaintBackdrop(dc); }, r))
    return r;
  switch (msg) {
    case WM_APP_HOVER:
      Hover(reinterpret_cast<HWND>(lp));
      return 0;
    case WM_COMMAND:  // the buttons' clicks are the main window's business
      return SendMessageW(GetParent(hwnd_), msg, wp, lp);
  }
  return Default(msg, wp, lp);
}
