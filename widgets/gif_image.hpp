// TGIFImage: a windowless picture control that draws a GIF on its parent
// window: frames composed off screen with disposal and transparency, four
// placements, and animation stepped by a TTimerEx.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "widgets/gif_decoder.hpp"
#include "widgets/timer_ex.hpp"

class TGIFImage {
 public:
  using TNotifyEvent = std::function<void(TGIFImage&)>;

  explicit TGIFImage(HWND parent);
  ~TGIFImage();
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // Position and size on the parent's client area (a new control: 105 x 105).
  void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return bounds_; }

  // Loads GIF bytes; false (and an empty picture) when they are not a GIF or
  // the load was cancelled.
  bool LoadFromData(const uint8_t* data, size_t size);
  // The stored form: a 4-byte length, then the GIF bytes.
  bool ReadData(const std::vector<uint8_t>& stored);
  // A missing file changes nothing.
  bool SetFileName(const std::string& path);

  bool Animate() const { return animate_; }
  void SetAnimate(bool v);
  bool Loop() const { return loop_; }
  void SetLoop(bool v);
  int Speed() const { return speed_; }
  void SetSpeed(int percent);
  int CurrentFrame() const { return current_; }
  void SetCurrentFrame(int n);
  void SetAutoSize(bool v);
  void SetCenter(bool v) { SetFlag(center_, v); }
  void SetStretch(bool v) { SetFlag(stretch_, v); }
  void SetStretchRatio(bool v) { SetFlag(stretchRatio_, v); }
  void SetTile(bool v) { SetFlag(tile_, v); }
  void SetVisible(bool v) { SetFlag(visible_, v); }
  bool Visible() const { return visible_; }

  int FrameCount() const { return static_cast<int>(pic_.Frames.size()); }
  const gif::TPicture& Picture() const { return pic_; }
  bool Empty() const { return empty_; }
  int LoopsDone() const { return loopsDone_; }
  TTimerEx& Timer() { return timer_; }

  TNotifyEvent OnChanging, OnChange, OnWrapAnimation;
  gif::ProgressFn OnProgress;

  // Whether the parent may skip painting under the control.
  bool Opaque() const;
  HPALETTE Palette() const;
  // The parent's paint message: dc is the parent's, unclipped and with its
  // own origin; the control draws into its bounds.
  void PaintMessage(HDC dc);

 private:
  struct FrameGdi;
  void Clear();
  bool Parse(const uint8_t* data, size_t size);
  void LoadCompleted();
  void BuildFrame(size_t index);
  void DrawFrame(int n);
  void DisposeFrame(int n);
  void Paint(HDC dc);  // in control coordinates
  void Repaint();
  void Invalidate();
  void FrameStep();
  void SetStepInterval();
  void EnableTimerForPaint();
  bool ComputeOpaque() const;
  void SetFlag(bool& flag, bool v);
  RECT TargetRect() const;
  POINT CenterOffset() const;
  void DrawComposite(HDC dc, HDC src, DWORD rop, const RECT& target);

  HWND parent_;
  RECT bounds_{0, 0, 105, 105};
  gif::TPicture pic_;
  std::vector<FrameGdi> gdi_;
  std::vector<uint8_t> data_;
  std::string fileName_;
  TTimerEx timer_;

  bool animate_ = false, autoSize_ = false, center_ = false, loop_ = false, stretch_ = false,
       stretchRatio_ = false, tile_ = false, visible_ = true;
  int speed_ = 100;
  int current_ = 1;
  bool empty_ = true, animated_ = false, firstTick_ = true, stretching_ = false,
       capturePending_ = false, opaque_ = false;
  int loopsDone_ = 1;

  HDC composite_ = nullptr, compositeMask_ = nullptr, background_ = nullptr;
  HBITMAP compositeBmp_ = nullptr, compositeMaskBmp_ = nullptr, backgroundBmp_ = nullptr;
  HGDIOBJ compositeOld_ = nullptr, compositeMaskOld_ = nullptr, backgroundOld_ = nullptr;
  SIZE backgroundSize_{0, 0};
};
