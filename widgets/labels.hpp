// Text labels drawn by their parent: TEmbossLabel (raised or recessed
// text) and TRotateLabel (text at an angle).
#pragma once

#include <windows.h>

#include <string>

enum class TTextStyle { tsNone, tsRaised, tsRecessed };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

struct TFontSpec {
  std::string Name = "Arial";
  int Height = 12;  // character height in pixels
  bool Bold = false;
  bool Underline = false;
  COLORREF Color = RGB(0, 0, 0);
};

class TCustomLabel {
 public:
  virtual ~TCustomLabel() = default;
  std::string Caption;
  TFontSpec Font;
  TAlignment Alignment = TAlignment::taLeftJustify;
  bool AutoSize = false;
  bool WordWrap = false;
  bool Transparent = true;
  bool ShowAccelChar = true;
  bool Enabled = true;
  COLORREF Color = GetSysColor(COLOR_BTNFACE);

  // Draws the label into rc of dc.
  virtual void Paint(HDC dc, const RECT& rc) const = 0;
  // Size of the caption on one line in the label's font.
  SIZE TextExtent(HDC dc) const;
  int TextWidth(HDC dc) const { return TextExtent(dc).cx; }

 protected:
  HFONT MakeFont(int escapement = 0) const;
  void FillBack(HDC dc, const RECT& rc) const;
};

class TEmbossLabel : public TCustomLabel {
 public:
  TTextStyle TextStyle = TTextStyle::tsRecessed;
  void Paint(HDC dc, const RECT& rc) const override;
  // Height the caption needs at this width (word breaking, as painted).
  int TextHeight(HDC dc, int width) const;
};

class TRotateLabel : public TCustomLabel {
 public:
  TRotateLabel() { TextStyle = TTextStyle::tsRaised; }
  TTextStyle TextStyle;
  int Escapement() const { return escapement_; }
  void SetEscapement(int degrees);
  // With AutoSize, the size of the rotated caption's box; else rc's size.
  SIZE BoxSize(HDC dc, const RECT& rc) const;
  void Paint(HDC dc, const RECT& rc) const override;

 private:
  void DrawPass(HDC dc, const RECT& rc, COLORREF color) const;
  int escapement_ = 45;
};
