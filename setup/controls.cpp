// Controls from layout rows, fonts, and owner-drawn labels.
#include "setup/controls.hpp"
#include "widgets/window_text.hpp"

#include <algorithm>

HWND CreateControl(HWND parent, const LayoutRow& c, bool visible, HFONT font) {
  HWND h = CreateWindowExW(0, Wide(c.cls).c_str(), Wide(c.text).c_str(),
                           WS_CHILD | (visible ? WS_VISIBLE : 0) | c.style, c.x, c.y, c.w, c.h,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                           GetModuleHandleW(nullptr), nullptr);
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

void ShowControls(HWND parent, const std::vector<int>& ids, bool visible) {
  for (int id : ids) ShowWindow(GetDlgItem(parent, id), visible ? SW_SHOW : SW_HIDE);
}

std::string ControlText(HWND control) { return GetText(control); }

namespace {

HFONT MakeFont(const char* face, int height, int weight) {
  return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Wide(face).c_str());
}

}  // namespace

Fonts::Fonts() : Default(MakeFont("MS Sans Serif", 11, FW_NORMAL)) {}

HFONT Fonts::BoldArial(int height) {
  OwnedGdi<HFONT>& f = bold_[height];
  if (!f) f.Reset(MakeFont("Arial", height, FW_BOLD));
  return f.Get();
}

void LabelLayer::Add(const LabelLook& look) {
  std::unique_ptr<TCustomLabel> label;
  if (look.rotated) {
    auto r = std::make_unique<TRotateLabel>();
    r->SetEscapement(90);
    r->TextStyle = look.style;
    label = std::move(r);
  } else {
    auto e = std::make_unique<TEmbossLabel>();
    e->TextStyle = look.style;
    label = std::move(e);
  }
  label->Font.Height = look.height;
  label->Font.Bold = true;
  label->Font.Underline = look.underline;
  label->Font.Color = look.color;
  label->Alignment = look.align;
  labels_[look.id] = std::move(label);
}

TCustomLabel* LabelLayer::Find(int id) {
  auto it = labels_.find(id);
  return it == labels_.end() ? nullptr : it->second.get();
}

void LabelLayer::FitToText(HWND parent, const std::vector<int>& ids) {
  WindowDC dc(parent);
  for (int id : ids) {
    TCustomLabel* label = Find(id);
    HWND h = GetDlgItem(parent, id);
    if (!label || !h) continue;
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    label->Caption = ControlText(h);
    const int need = label->TextWidth(dc.Get()) + 2;
    if (need <= r.right - r.left) continue;
    const int left = label->Alignment == TAlignment::taRightJustify ? r.right - need : r.left;
    SetWindowPos(h, nullptr, left, r.top, need, r.bottom - r.top, SWP_NOZORDER);
  }
}

bool LabelLayer::Paint(HWND parent, UINT msg, LPARAM lp, const std::function<void(HDC)>& backdrop,
                       LRESULT& result) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(parent, &ps);
      backdrop(dc);
      EndPaint(parent, &ps);
      result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_DRAWITEM:
      DrawItem(parent, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp), backdrop);
      result = TRUE;
      return true;
  }
  return false;
}

void LabelLayer::PaintLabel(HDC dc, HWND control, TCustomLabel& label, const RECT& rc) {
  label.Caption = ControlText(control);
  label.Enabled = IsWindowEnabled(control) != FALSE;
  label.Paint(dc, rc);
}

bool LabelLayer::DrawItem(HWND parent, const DRAWITEMSTRUCT& dis,
                          const std::function<void(HDC)>& backdrop) {
  const int id = static_cast<int>(dis.CtlID);
  const bool frame = std::find(frames_.begin(), frames_.end(), id) != frames_.end();
  if (!frame && !Find(id)) return false;
  RECT pos;
  GetWindowRect(dis.hwndItem, &pos);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&pos), 2);
  const int w = dis.rcItem.right - dis.rcItem.left, h = dis.rcItem.bottom - dis.rcItem.top;
  Offscreen off(dis.hDC, w, h);
  SetViewportOrgEx(off.Get(), -pos.left, -pos.top, nullptr);
  backdrop(off.Get());
  for (const auto& [otherId, label] : labels_) {
    HWND other = GetDlgItem(parent, otherId);
    if (!other || other == dis.hwndItem || !IsWindowVisible(other)) continue;
    RECT r, overlap;
    GetWindowRect(other, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (IntersectRect(&overlap, &r, &pos)) PaintLabel(off.Get(), other, *label, r);
  }
  SetViewportOrgEx(off.Get(), 0, 0, nullptr);
  if (frame) {
    // A two-pixel outline in the 3-D light colour, no fill.
    OwnedGdi<HPEN> pen(CreatePen(PS_INSIDEFRAME, 2, GetSysColor(COLOR_3DLIGHT)));
    Selected usePen(off.Get(), pen.Get());
    Selected noFill(off.Get(), GetStockObject(NULL_BRUSH));
    Rectangle(off.Get(), 0, 0, w, h);
  } else {
    PaintLabel(off.Get(), dis.hwndItem, *Find(id), RECT{0, 0, w, h});
  }
  BitBlt(dis.hDC, dis.rcItem.left, dis.rcItem.top, w, h, off.Get(), 0, 0, SRCCOPY);
  return true;
}
