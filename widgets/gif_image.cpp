// The GIF picture control: frame bitmaps, the composite, painting and
// animation.
#include "widgets/gif_image.hpp"

#include "shell/file_ops.hpp"
#include "shell/owned.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

struct TGIFImage::FrameGdi {
  HBITMAP image = nullptr;       // device-compatible; black where transparent
  HBITMAP mask = nullptr;        // monochrome: white where transparent
  HBITMAP savedImage = nullptr;  // what the frame covered (disposal 3)
  HBITMAP savedMask = nullptr;
  HPALETTE palette = nullptr;
};

namespace {

constexpr DWORD kAndNot = 0x220326;  // destination AND NOT source

// A memory DC with a bitmap selected; restores and deletes the DC on leave.
void FreeSurface(HDC& dc, HBITMAP& bmp, HGDIOBJ& old) {
  if (dc) {
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  if (bmp) DeleteObject(bmp);
  dc = nullptr;
  bmp = nullptr;
  old = nullptr;
}

void MakeSurface(HDC& dc, HBITMAP& bmp, HGDIOBJ& old, int w, int h, bool mono) {
  FreeSurface(dc, bmp, old);
  HDC screen = GetDC(nullptr);
  dc = CreateCompatibleDC(screen);
  bmp = mono ? CreateBitmap(std::max(w, 1), std::max(h, 1), 1, 1, nullptr)
             : CreateCompatibleBitmap(screen, std::max(w, 1), std::max(h, 1));
  ReleaseDC(nullptr, screen);
  old = SelectObject(dc, bmp);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
}

}  // namespace

TGIFImage::TGIFImage(HWND parent) : parent_(parent) {
  timer_.SetEnabled(false);
  timer_.SetOnTimer([this](TTimerEx&) { FrameStep(); });
}

TGIFImage::~TGIFImage() {
  timer_.SetEnabled(false);
  timer_.SetOnTimer(nullptr);
  Clear();
  FreeSurface(background_, backgroundBmp_, backgroundOld_);
  FreeSurface(compositeMask_, compositeMaskBmp_, compositeMaskOld_);
  FreeSurface(composite_, compositeBmp_, compositeOld_);
}

void TGIFImage::SetBounds(int left, int top, int width, int height) {
  Invalidate();
  bounds_ = RECT{left, top, left + width, top + height};
  Invalidate();
}

void TGIFImage::Clear() {
  timer_.SetEnabled(false);
  for (FrameGdi& g : gdi_)
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(g.image), static_cast<HGDIOBJ>(g.mask),
                      static_cast<HGDIOBJ>(g.savedImage), static_cast<HGDIOBJ>(g.savedMask),
                      static_cast<HGDIOBJ>(g.palette)})
      if (o) DeleteObject(o);
  gdi_.clear();
  pic_ = gif::TPicture{};
  current_ = 1;
  loopsDone_ = 1;
  firstTick_ = true;
  empty_ = true;
  animated_ = false;
}

bool TGIFImage::LoadFromData(const uint8_t* data, size_t size) { return Parse(data, size); }

bool TGIFImage::ReadData(const std::vector<uint8_t>& stored) {
  if (stored.size() < 4) return false;
  const int32_t n = static_cast<int32_t>(stored[0] | stored[1] << 8 | stored[2] << 16 |
                                         uint32_t{stored[3]} << 24);
  if (n <= 0) return false;
  return Parse(stored.data() + 4, std::min<size_t>(static_cast<size_t>(n), stored.size() - 4));
}

bool TGIFImage::SetFileName(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  fileName_ = path;
  return Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool TGIFImage::Parse(const uint8_t* data, size_t size) {
  Clear();
  data_.assign(data, data + size);
  gif::TPicture pic;
  const gif::ParseResult r = gif::ParseGif(data_.data(), data_.size(), pic, OnProgress);
  if (r != gif::ParseResult::Ok) {
    // Failed or cancelled loads stay silent and empty: no frame is kept that
    // has no drawing behind it.
    Invalidate();
    return false;
  }
  pic_ = std::move(pic);
  gdi_.resize(pic_.Frames.size());
  for (size_t i = 0; i < pic_.Frames.size(); ++i) BuildFrame(i);
  LoadCompleted();
  return true;
}

void TGIFImage::BuildFrame(size_t index) {
  const gif::TFrame& f = pic_.Frames[index];
  FrameGdi& g = gdi_[index];
  if (f.Width == 0 || f.Height == 0) return;
  const int colors = std::min(f.Colors, 256);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[256];
  } bmi{};
  bmi.h.biSize = sizeof bmi.h;
  bmi.h.biWidth = f.Width;
  bmi.h.biHeight = -f.Height;
  bmi.h.biPlanes = 1;
  bmi.h.biBitCount = 8;
  bmi.h.biSizeImage = static_cast<DWORD>(f.RowBytes() * f.Height);
  bmi.h.biClrUsed = static_cast<DWORD>(colors);
  std::vector<uint8_t> logPal(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(logPal.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(colors);
  for (int k = 0; k < colors; ++k) {
    const uint8_t r = f.ColorTable[k * 3], gr = f.ColorTable[k * 3 + 1],
                  b = f.ColorTable[k * 3 + 2];
    bmi.c[k] = RGBQUAD{b, gr, r, 0};
    lp->palPalEntry[k] = PALETTEENTRY{r, gr, b, 0};
  }
  g.palette = CreatePalette(lp);
  HDC screen = GetDC(nullptr);
  HPALETTE old = SelectPalette(screen, g.palette, FALSE);
  RealizePalette(screen);
  g.image = CreateDIBitmap(screen, &bmi.h, CBM_INIT, f.Pixels.data(),
                           reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS);
  SelectPalette(screen, old, FALSE);
  if (f.Transparent) {
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD c[2];
    } mbi{};
    mbi.h = bmi.h;
    mbi.h.biBitCount = 1;
    mbi.h.biClrUsed = 2;
    mbi.h.biSizeImage = static_cast<DWORD>(f.MaskRowBytes() * f.Height);
    mbi.c[1] = RGBQUAD{255, 255, 255, 0};
    g.mask = CreateBitmap(f.Width, f.Height, 1, 1, nullptr);
    SetDIBits(screen, g.mask, 0, static_cast<UINT>(f.Height), f.Mask.data(),
              reinterpret_cast<BITMAPINFO*>(&mbi), DIB_RGB_COLORS);
    BitmapDC img(screen, g.image), msk(screen, g.mask);
    BitBlt(img.Get(), 0, 0, f.Width, f.Height, msk.Get(), 0, 0, kAndNot);
  }
  if (f.Disposal == 3) {
    g.savedImage = CreateCompatibleBitmap(screen, f.Width, f.Height);
    g.savedMask = CreateBitmap(f.Width, f.Height, 1, 1, nullptr);
  }
  ReleaseDC(nullptr, screen);
}

void TGIFImage::LoadCompleted() {
  MakeSurface(composite_, compositeBmp_, compositeOld_, pic_.ScreenWidth, pic_.ScreenHeight, false);
  if (autoSize_)
    bounds_ = RECT{bounds_.left, bounds_.top, bounds_.left + pic_.ScreenWidth,
                   bounds_.top + pic_.ScreenHeight};
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  stretching_ = (stretch_ || stretchRatio_) && (w != pic_.ScreenWidth || h != pic_.ScreenHeight);
  animated_ = pic_.Frames.size() > 1;
  empty_ = false;
  opaque_ = ComputeOpaque();
  PatBlt(composite_, 0, 0, pic_.ScreenWidth, pic_.ScreenHeight, BLACKNESS);
  if (pic_.HasTransparency) {
    MakeSurface(compositeMask_, compositeMaskBmp_, compositeMaskOld_, pic_.ScreenWidth,
                pic_.ScreenHeight, true);
    PatBlt(compositeMask_, 0, 0, pic_.ScreenWidth, pic_.ScreenHeight, WHITENESS);
  } else {
    FreeSurface(compositeMask_, compositeMaskBmp_, compositeMaskOld_);
  }
  timer_.SetInterval(1);
  if (OnChanging) OnChanging(*this);
  DrawFrame(current_);
  if (OnChange) OnChange(*this);
  Invalidate();
}

HPALETTE TGIFImage::Palette() const {
  if (empty_ || pic_.Frames.empty() || !visible_) return nullptr;
  // Past the last frame (a finished animation) the last frame's palette.
  const int n = std::clamp(current_, 1, FrameCount());
  return gdi_[static_cast<size_t>(n - 1)].palette;
}

void TGIFImage::DrawFrame(int n) {
  if (n < 1 || n > FrameCount()) return;
  const gif::TFrame& f = pic_.Frames[static_cast<size_t>(n - 1)];
  const FrameGdi& g = gdi_[static_cast<size_t>(n - 1)];
  if (!g.image) return;
  if (f.Disposal == 3) {
    if (pic_.HasTransparency) {
      BitmapDC saved(composite_, g.savedMask);
      BitBlt(saved.Get(), 0, 0, f.Width, f.Height, compositeMask_, f.Left, f.Top, SRCCOPY);
    }
    BitmapDC saved(composite_, g.savedImage);
    BitBlt(saved.Get(), 0, 0, f.Width, f.Height, composite_, f.Left, f.Top, SRCCOPY);
  }
  SelectedPalette pal(composite_, Palette(), FALSE);
  BitmapDC img(composite_, g.image);
  if (f.Transparent) {
    BitmapDC msk(composite_, g.mask);
    BitBlt(compositeMask_, f.Left, f.Top, f.Width, f.Height, msk.Get(), 0, 0, SRCAND);
    BitBlt(composite_, f.Left, f.Top, f.Width, f.Height, msk.Get(), 0, 0, SRCAND);
    BitBlt(composite_, f.Left, f.Top, f.Width, f.Height, img.Get(), 0, 0, SRCINVERT);
  } else {
    if (pic_.HasTransparency) PatBlt(compositeMask_, f.Left, f.Top, f.Width, f.Height, BLACKNESS);
    BitBlt(composite_, f.Left, f.Top, f.Width, f.Height, img.Get(), 0, 0, SRCCOPY);
  }
}

void TGIFImage::DisposeFrame(int n) {
  if (n < 1 || n > FrameCount()) return;
  const gif::TFrame& f = pic_.Frames[static_cast<size_t>(n - 1)];
  const FrameGdi& g = gdi_[static_cast<size_t>(n - 1)];
  if (f.Disposal == 2) {
    // See-through, not the GIF background colour.
    if (pic_.HasTransparency) PatBlt(compositeMask_, f.Left, f.Top, f.Width, f.Height, WHITENESS);
    PatBlt(composite_, f.Left, f.Top, f.Width, f.Height, BLACKNESS);
  } else if (f.Disposal == 3 && g.savedImage) {
    if (pic_.HasTransparency) {
      BitmapDC saved(composite_, g.savedMask);
      BitBlt(compositeMask_, f.Left, f.Top, f.Width, f.Height, saved.Get(), 0, 0, SRCCOPY);
    }
    BitmapDC saved(composite_, g.savedImage);
    BitBlt(composite_, f.Left, f.Top, f.Width, f.Height, saved.Get(), 0, 0, SRCCOPY);
  }
}

bool TGIFImage::ComputeOpaque() const {
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  return visible_ && !empty_ && !pic_.HasTransparency && !stretchRatio_ &&
         (tile_ || stretch_ || (pic_.ScreenWidth >= w && pic_.ScreenHeight >= h));
}

bool TGIFImage::Opaque() const { return opaque_; }

RECT TGIFImage::TargetRect() const {
  const int dw = bounds_.right - bounds_.left, dh = bounds_.bottom - bounds_.top;
  RECT r{0, 0, dw, dh};
  if (!(stretching_ && stretchRatio_ && !stretch_) || pic_.ScreenWidth <= 0 ||
      pic_.ScreenHeight <= 0)
    return r;
  const float sx = static_cast<float>(dw) / pic_.ScreenWidth,
              sy = static_cast<float>(dh) / pic_.ScreenHeight;
  // Edges go to the nearest integer, halves to even.
  auto round = [](float v) { return static_cast<int>(std::nearbyint(v)); };
  if (sx > sy) {
    const float m = (dw - pic_.ScreenWidth * sy) * 0.5f;
    r.left = round(0 + m);
    r.right = round(dw - m);
  } else {
    const float m = (dh - pic_.ScreenHeight * sx) * 0.5f;
    r.top = round(0 + m);
    r.bottom = round(dh - m);
  }
  return r;
}

POINT TGIFImage::CenterOffset() const {
  if (!center_) return POINT{0, 0};
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  return POINT{(w - pic_.ScreenWidth) / 2, (h - pic_.ScreenHeight) / 2};
}

void TGIFImage::DrawComposite(HDC dc, HDC src, DWORD rop, const RECT& target) {
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  const int sw = pic_.ScreenWidth, sh = pic_.ScreenHeight;
  if (stretching_) {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
               src, 0, 0, sw, sh, rop);
  } else if (tile_ && sw > 0 && sh > 0) {
    for (int row = 0; row <= h / sh; ++row)
      for (int col = 0; col <= w / sw; ++col)
        BitBlt(dc, col * sw, row * sh, sw, sh, src, 0, 0, rop);
  } else {
    BitBlt(dc, 0, 0, sw, sh, src, 0, 0, rop);
  }
}

void TGIFImage::Paint(HDC dc) {
  if (empty_ || pic_.Frames.empty() || !visible_) return;
  SelectedPalette pal(dc, Palette(), TRUE);
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  if (!background_ || backgroundSize_.cx != w || backgroundSize_.cy != h) {
    MakeSurface(background_, backgroundBmp_, backgroundOld_, w, h, false);
    backgroundSize_ = SIZE{w, h};
  }
  if (capturePending_) {
    RECT clip;
    GetClipBox(dc, &clip);
    BitBlt(background_, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, dc,
           clip.left, clip.top, SRCCOPY);
    capturePending_ = false;
  }
  const RECT target = TargetRect();
  const POINT c = CenterOffset();
  if (pic_.Frames[0].Transparent && compositeMask_) {
    // The first frame decides: the whole picture goes through the mask.
    const bool whole = stretching_ || tile_;
    const int ax = whole ? 0 : c.x, ay = whole ? 0 : c.y;
    const int aw = whole ? w : pic_.ScreenWidth, ah = whole ? h : pic_.ScreenHeight;
    HBITMAP offBmp = CreateCompatibleBitmap(dc, std::max(aw, 1), std::max(ah, 1));
    {
      BitmapDC off(dc, offBmp);
      BitBlt(off.Get(), 0, 0, aw, ah, background_, ax, ay, SRCCOPY);
      {
        SelectedPalette offPal(off.Get(), Palette(), TRUE);
        DrawComposite(off.Get(), compositeMask_, SRCAND, target);
        DrawComposite(off.Get(), composite_, SRCINVERT, target);
      }
      BitBlt(dc, ax, ay, aw, ah, off.Get(), 0, 0, SRCCOPY);
    }
    DeleteObject(offBmp);
  } else if (!stretching_ && !tile_ && center_) {
    BitBlt(dc, c.x, c.y, pic_.ScreenWidth, pic_.ScreenHeight, composite_, 0, 0, SRCCOPY);
  } else {
    DrawComposite(dc, composite_, SRCCOPY, target);
  }
}

void TGIFImage::PaintMessage(HDC dc) {
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  stretching_ = (stretch_ || stretchRatio_) && (w != pic_.ScreenWidth || h != pic_.ScreenHeight);
  const bool opaque = ComputeOpaque();
  if (opaque != opaque_) {
    opaque_ = opaque;
    Invalidate();
    return;
  }
  capturePending_ = !opaque_;
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, bounds_.left, bounds_.top, nullptr);
  IntersectClipRect(dc, 0, 0, w, h);
  Paint(dc);
  RestoreDC(dc, saved);
  EnableTimerForPaint();
}

void TGIFImage::EnableTimerForPaint() {
  timer_.SetEnabled(animated_ && animate_ && !empty_ &&
                    (loopsDone_ <= pic_.LoopCount || loop_ || pic_.LoopCount == 0));
}

void TGIFImage::Repaint() {
  HDC dc = GetDC(parent_);
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, bounds_.left, bounds_.top, nullptr);
  IntersectClipRect(dc, 0, 0, bounds_.right - bounds_.left, bounds_.bottom - bounds_.top);
  Paint(dc);
  RestoreDC(dc, saved);
  ReleaseDC(parent_, dc);
}

void TGIFImage::Invalidate() {
  if (parent_) InvalidateRect(parent_, &bounds_, TRUE);
}

void TGIFImage::SetStepInterval() {
  const int n = std::clamp(current_, 1, FrameCount());
  const int delay = std::max(pic_.Frames[static_cast<size_t>(n - 1)].Delay, 50);
  timer_.SetInterval(static_cast<unsigned>(std::max(1, delay * 100 / speed_)));
}

void TGIFImage::FrameStep() {
  if (capturePending_ || empty_ || !animate_ || pic_.Frames.empty()) return;
  const int count = FrameCount();
  if (current_ > count || current_ <= 0) current_ = 1;
  if (OnChanging) OnChanging(*this);
  if (firstTick_) {
    firstTick_ = false;  // frame 1 is already drawn
  } else {
    DisposeFrame(current_ == 1 ? count : current_ - 1);
    DrawFrame(current_);
    Repaint();
  }
  SetStepInterval();
  ++current_;
  const bool wrapped = current_ > count;
  if (!loop_ && pic_.LoopCount > 0 && wrapped) {
    ++loopsDone_;
    timer_.SetEnabled(loopsDone_ <= pic_.LoopCount);
  } else if (wrapped) {
    current_ = 1;
  }
  if (OnChange) OnChange(*this);
  if (wrapped && OnWrapAnimation) OnWrapAnimation(*this);
}

void TGIFImage::SetAnimate(bool v) {
  if (v == animate_) return;
  animate_ = v;
  loopsDone_ = 1;
  if (v && FrameCount() > 1) SetStepInterval();
  timer_.SetEnabled(animate_ && animated_ && !empty_);
  if (!v && current_ >= 2) {
    DisposeFrame(current_ - 1);
    current_ = 1;
    DrawFrame(1);
    Invalidate();
  }
}

void TGIFImage::SetLoop(bool v) {
  if (v == loop_) return;
  loop_ = v;
  if (v && FrameCount() > 0 && pic_.LoopCount > 0 && loopsDone_ > pic_.LoopCount) {
    current_ = 1;
    loopsDone_ = 1;
    if (animate_ && FrameCount() > 1) SetStepInterval();
    timer_.SetEnabled(animate_ && animated_);
  }
}

void TGIFImage::SetSpeed(int percent) {
  if (percent < 1) percent = 1;
  if (percent == speed_) return;
  speed_ = percent;
  if (FrameCount() > 1 && animate_) timer_.SetInterval(1);
}

void TGIFImage::SetCurrentFrame(int n) {
  if (n == current_ || n < 1 || n > FrameCount()) return;
  if (OnChanging) OnChanging(*this);
  DisposeFrame(current_);
  current_ = n;
  DrawFrame(n);
  Repaint();
  if (OnChange) OnChange(*this);
}

void TGIFImage::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v && !empty_) {
    Invalidate();
    bounds_ = RECT{bounds_.left, bounds_.top, bounds_.left + pic_.ScreenWidth,
                   bounds_.top + pic_.ScreenHeight};
    Invalidate();
  }
}

void TGIFImage::SetFlag(bool& flag, bool v) {
  if (flag == v) return;
  flag = v;
  Invalidate();
}
