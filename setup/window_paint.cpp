// Painting of the main window and the uninstall panel: bevels, the
// background picture, icons, and the owner-drawn labels over them.
#include "setup/control_ids.hpp"
#include "setup/setup_main.hpp"

namespace {

constexpr int kStripHeight = 41;

// A memory surface for one control, painted as the parent shows it.
struct Offscreen {
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  Offscreen(HDC like, int w, int h)
      : dc(CreateCompatibleDC(like)), bmp(CreateCompatibleBitmap(like, w, h)), old(SelectObject(dc, bmp)) {}
  ~Offscreen() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
};

void Bevel(HDC dc, RECT r, UINT outer, UINT inner) {
  DrawEdge(dc, &r, outer, BF_RECT);
  InflateRect(&r, -2, -2);  // one pixel of edge, one of border
  DrawEdge(dc, &r, inner, BF_RECT);
}

}  // namespace

void TForm1::LayoutPanel(int clientHeight) {
  const int panel = clientHeight - (clientHeight > kClientHeight ? kStripHeight : 0);
  GIFImage1->SetBounds(3, 3, kClientWidth - 6, panel - 6);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TForm1::PaintBackdrop(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const bool strip = optionsPage_ || client.bottom > kClientHeight;
  RECT panel{0, 0, client.right, client.bottom - (strip ? kStripHeight : 0)};
  Bevel(dc, panel, BDR_RAISEDOUTER, BDR_SUNKENINNER);
  if (strip) {
    RECT r{0, panel.bottom, client.right, client.bottom};
    DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
    InflateRect(&r, -1, -1);
    DrawEdge(dc, &r, BDR_SUNKENINNER, BF_RECT);
  }
  GIFImage1->PaintMessage(dc);
  if (UninstallName.empty() && !uninstallMode_) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    DrawIconEx(dc, 40, 200, icon, 32, 32, 0, nullptr, DI_NORMAL);
  }
}

void TForm1::PaintUninstBackdrop(HDC dc) {
  HWND panel = Control(ids::plUninst);
  RECT rc;
  GetClientRect(panel, &rc);
  if (uninstallBitmap_) {
    // Image3: the stored bitmap stretched over the whole panel.
    BITMAP bm;
    GetObject(uninstallBitmap_, sizeof bm, &bm);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, uninstallBitmap_);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  } else {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  }
  // Image2: the icon, centred in 45 x 47 at 1, 188.
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  DrawIconEx(dc, 1 + (45 - 32) / 2, 188 + (47 - 32) / 2, icon, 32, 32, 0, nullptr, DI_NORMAL);
}

void TForm1::DrawItem(HWND parent, const DRAWITEMSTRUCT& dis) {
  RECT pos;
  GetWindowRect(dis.hwndItem, &pos);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&pos), 2);
  const int w = dis.rcItem.right - dis.rcItem.left, h = dis.rcItem.bottom - dis.rcItem.top;
  Offscreen off(dis.hDC, w, h);
  SetViewportOrgEx(off.dc, -pos.left, -pos.top, nullptr);
  if (parent == hwnd_)
    PaintBackdrop(off.dc);
  else
    PaintUninstBackdrop(off.dc);
  // Labels are see-through: any other label this one overlaps shows too.
  for (const auto& [id, label] : labels_) {
    HWND other = GetDlgItem(parent, id);
    if (!other || other == dis.hwndItem || !IsWindowVisible(other)) continue;
    RECT r, overlap;
    GetWindowRect(other, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (!IntersectRect(&overlap, &r, &pos)) continue;
    PaintLabel(off.dc, other, *label, r);
  }
  SetViewportOrgEx(off.dc, 0, 0, nullptr);
  const RECT rc{0, 0, w, h};
  if (static_cast<int>(dis.CtlID) == ids::Shape1) {
    // A two-pixel outline in the 3-D light colour, no fill.
    HPEN pen = CreatePen(PS_INSIDEFRAME, 2, GetSysColor(COLOR_3DLIGHT));
    HGDIOBJ oldPen = SelectObject(off.dc, pen);
    HGDIOBJ oldBrush = SelectObject(off.dc, GetStockObject(NULL_BRUSH));
    Rectangle(off.dc, 0, 0, w, h);
    SelectObject(off.dc, oldBrush);
    SelectObject(off.dc, oldPen);
    DeleteObject(pen);
  } else if (auto it = labels_.find(static_cast<int>(dis.CtlID)); it != labels_.end()) {
    PaintLabel(off.dc, dis.hwndItem, *it->second, rc);
  }
  BitBlt(dis.hDC, dis.rcItem.left, dis.rcItem.top, w, h, off.dc, 0, 0, SRCCOPY);
}

void TForm1::PaintLabel(HDC dc, HWND control, TCustomLabel& label, const RECT& rc) {
  char text[1024] = {};
  GetWindowTextA(control, text, sizeof text);
  label.Caption = text;
  label.Enabled = IsWindowEnabled(control) != FALSE;
  label.Paint(dc, rc);
}

void TForm1::SetLabelColor(int id, COLORREF color) {
  if (auto it = labels_.find(id); it != labels_.end()) it->second->Font.Color = color;
}

void TForm1::FitWelcomeLabel() {
  // 142 wide, as high as its four centred lines need.
  auto* label = static_cast<TEmbossLabel*>(labels_[ids::lbWelcome].get());
  label->Caption = GetText(ids::lbWelcome);
  HDC dc = GetDC(hwnd_);
  const int h = label->TextHeight(dc, 142);
  ReleaseDC(hwnd_, dc);
  SetWindowPos(Control(ids::lbWelcome), nullptr, 0, 0, 142, h, SWP_NOMOVE | SWP_NOZORDER);
}

LRESULT CALLBACK TForm1::UninstPanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (form && msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    form->PaintUninstBackdrop(dc);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (form && msg == WM_DRAWITEM) {
    form->DrawItem(hwnd, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    return TRUE;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProcA(hwnd, msg, wp, lp);
}
