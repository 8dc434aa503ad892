// Labels drawn into a memory surface: embossing colours, disabled text, and
// the rotated label's box and direction.
#include "widgets/labels.hpp"

#include <gtest/gtest.h>

#include <map>

namespace {

class Surface {
 public:
  Surface(int w, int h) : w_(w), h_(h) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bmp_ = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bmp_);
    RECT r{0, 0, w, h};
    FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += GetPixel(dc_, x, y) == c;
    return n;
  }
  // Bounding box of pixels that are not white.
  RECT Ink() const {
    RECT r{w_, h_, -1, -1};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (GetPixel(dc_, x, y) != RGB(255, 255, 255)) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x);
          r.bottom = std::max<LONG>(r.bottom, y);
        }
    return r;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
};

TEST(Labels, RecessedTextIsEmbossedAndGreyWhenDisabled) {
  TEmbossLabel label;
  label.Caption = "Recessed";
  label.Font.Height = 24;
  label.Font.Bold = true;
  label.Font.Color = RGB(255, 128, 0);
  Surface on(200, 40), off(200, 40);
  const RECT rc{4, 4, 196, 36};
  label.Paint(on.dc(), rc);
  EXPECT_GT(on.Count(RGB(255, 128, 0)), 50);
  EXPECT_GT(on.Count(GetSysColor(COLOR_BTNSHADOW)), 10);
  label.Enabled = false;
  label.Paint(off.dc(), rc);
  EXPECT_EQ(off.Count(RGB(255, 128, 0)), 0);
  EXPECT_GT(off.Count(GetSysColor(COLOR_GRAYTEXT)), 50);
  EXPECT_GT(off.Count(GetSysColor(COLOR_BTNSHADOW)), 10);  // embossing stays

  TEmbossLabel plain = label;
  plain.TextStyle = TTextStyle::tsNone;
  plain.Enabled = true;
  Surface flat(200, 40);
  plain.Paint(flat.dc(), rc);
  EXPECT_EQ(flat.Count(GetSysColor(COLOR_BTNSHADOW)), 0);
}

TEST(Labels, RotatedCaptionAt90WritesUpwardInItsBox) {
  TRotateLabel label;
  EXPECT_EQ(label.Escapement(), 45);
  label.SetEscapement(-30);
  EXPECT_EQ(label.Escapement(), 330);
  label.SetEscapement(90);
  label.TextStyle = TTextStyle::tsNone;
  label.AutoSize = true;
  label.Caption = "Quorvane Setup";
  label.Font.Height = 11;
  label.Font.Bold = true;
  Surface s(60, 200);
  const SIZE wide{label.TextWidth(s.dc()), 0};
  const RECT rc{10, 10, 40, 190};
  const SIZE box = label.BoxSize(s.dc(), rc);
  EXPECT_EQ(box.cy, wide.cx);  // as high as the caption is long
  EXPECT_LT(box.cx, 20);       // as wide as one line is high
  label.Paint(s.dc(), rc);
  const RECT ink = s.Ink();
  // Upward from the bottom-left corner: the ink is tall and narrow and
  // ends at the box's bottom.
  EXPECT_GT(ink.bottom - ink.top, 4 * (ink.right - ink.left));
  EXPECT_LE(ink.bottom, rc.top + box.cy + 1);
  EXPECT_GE(ink.left, rc.left - 1);
}

}  // namespace
