// Embossed and rotated labels.
#include "widgets/labels.hpp"

#include "shell/wide_text.hpp"

#include "widgets/rotate_math.hpp"

namespace {

UINT AlignFlags(TAlignment a) {
  switch (a) {
    case TAlignment::taRightJustify:
      return DT_RIGHT;
    case TAlignment::taCenter:
      return DT_CENTER;
    default:
      return DT_LEFT;
  }
}

// The two emboss passes: offset (+1,+1) then (-1,-1), in these colours.
bool EmbossColors(TTextStyle style, COLORREF& first, COLORREF& second) {
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (style == TTextStyle::tsRaised) {
    first = shadow;
    second = light;
    return true;
  }
  if (style == TTextStyle::tsRecessed) {
    first = light;
    second = shadow;
    return true;
  }
  return false;
}

RECT Moved(const RECT& rc, int d) {
  return RECT{rc.left + d, rc.top + d, rc.right + d, rc.bottom + d};
}

}  // namespace

HFONT TCustomLabel::MakeFont(int escapement) const {
  LOGFONTW lf{};
  lf.lfHeight = -Font.Height;
  lf.lfWeight = Font.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = Font.Underline;
  lf.lfEscapement = lf.lfOrientation = escapement;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, Wide(Font.Name).c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

SIZE TCustomLabel::TextExtent(HDC dc) const {
  HFONT font = MakeFont();
  HGDIOBJ old = SelectObject(dc, font);
  SIZE ext{};
  const std::wstring caption = Wide(Caption);
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &ext);
  SelectObject(dc, old);
  DeleteObject(font);
  return ext;
}

void TCustomLabel::FillBack(HDC dc, const RECT& rc) const {
  if (Transparent) return;
  HBRUSH b = CreateSolidBrush(Color);
  FillRect(dc, &rc, b);
  DeleteObject(b);
}

void TEmbossLabel::Paint(HDC dc, const RECT& rc) const {
  FillBack(dc, rc);
  HFONT font = MakeFont();
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  // Always word-breaking, whatever WordWrap says.
  const UINT flags =
      AlignFlags(Alignment) | DT_EXPANDTABS | DT_WORDBREAK | (ShowAccelChar ? 0 : DT_NOPREFIX);
  const std::wstring text = Wide(Caption).substr(0, 255);
  COLORREF first, second;
  if (EmbossColors(TextStyle, first, second)) {
    RECT r = Moved(rc, 1);
    SetTextColor(dc, first);
    DrawTextW(dc, text.c_str(), -1, &r, flags);
    r = Moved(rc, -1);
    SetTextColor(dc, second);
    DrawTextW(dc, text.c_str(), -1, &r, flags);
  }
  RECT r = rc;
  SetTextColor(dc, Enabled ? Font.Color : GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(dc, text.c_str(), -1, &r, flags);
  SelectObject(dc, old);
  DeleteObject(font);
}

int TEmbossLabel::TextHeight(HDC dc, int width) const {
  HFONT font = MakeFont();
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, width, 0};
  const std::wstring text = Wide(Caption).substr(0, 255);
  DrawTextW(dc, text.c_str(), -1, &r,
            AlignFlags(Alignment) | DT_EXPANDTABS | DT_WORDBREAK | DT_CALCRECT |
                (ShowAccelChar ? 0 : DT_NOPREFIX));
  SelectObject(dc, old);
  DeleteObject(font);
  return r.bottom;
}

void TRotateLabel::SetEscapement(int degrees) {
  escapement_ = widgets::NormalizeEscapement(degrees);
}

SIZE TRotateLabel::BoxSize(HDC dc, const RECT& rc) const {
  if (!AutoSize) return SIZE{rc.right - rc.left, rc.bottom - rc.top};
  const SIZE ext = TextExtent(dc);
  const widgets::RotatedText t = widgets::RotateText(escapement_, ext.cx, ext.cy);
  return SIZE{t.w, t.h};
}

void TRotateLabel::DrawPass(HDC dc, const RECT& rc, COLORREF color) const {
  SetTextColor(dc, color);
  if (escapement_ == 0) {
    HFONT font = MakeFont();
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = rc;
    DrawTextW(dc, Wide(Caption).c_str(), -1, &r,
              AlignFlags(Alignment) | DT_EXPANDTABS | (WordWrap ? DT_WORDBREAK : 0) |
                  (ShowAccelChar ? 0 : DT_NOPREFIX));
    SelectObject(dc, old);
    DeleteObject(font);
    return;
  }
  // Measure unrotated, then write with a font turned by the escapement.
  HFONT plain = MakeFont();
  HGDIOBJ old = SelectObject(dc, plain);
  SIZE ext{};
  const std::wstring caption = Wide(Caption);
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &ext);
  const widgets::RotatedText t = widgets::RotateText(escapement_, ext.cx, ext.cy);
  int x = rc.left + t.dx;
  const int y = rc.top + t.dy;
  const int width = rc.right - rc.left;
  if (!AutoSize && Alignment == TAlignment::taCenter) x += (width - t.w) / 2;
  if (!AutoSize && Alignment == TAlignment::taRightJustify) x += width - t.w;
  HFONT turned = MakeFont(escapement_ * 10);
  SelectObject(dc, turned);
  TextOutW(dc, x, y, caption.c_str(), static_cast<int>(caption.size()));
  SelectObject(dc, old);
  DeleteObject(turned);
  DeleteObject(plain);
}

void TRotateLabel::Paint(HDC dc, const RECT& rc) const {
  FillBack(dc, rc);
  SetBkMode(dc, TRANSPARENT);
  COLORREF first, second;
  if (EmbossColors(TextStyle, first, second)) {
    DrawPass(dc, Moved(rc, 1), first);
    DrawPass(dc, Moved(rc, -1), second);
  }
  DrawPass(dc, rc, Enabled ? Font.Color : GetSysColor(COLOR_GRAYTEXT));
}
