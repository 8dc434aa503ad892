// One non-copyable owner for the system's handles, each kind released the
// way it must be, and scoped helpers for device contexts.
#pragma once

#include <windows.h>

#include <utility>

template <class H, class Release>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
  ~Owned() { Reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, H{});
    }
    return *this;
  }

  H Get() const { return h_; }
  explicit operator bool() const { return Release::Valid(h_); }
  void Reset(H h = H{}) {
    if (Release::Valid(h_)) Release::Free(h_);
    h_ = h;
  }
  // Lets the system write a new handle into the owner (old one released).
  H* Receive() {
    Reset();
    return &h_;
  }

 private:
  H h_{};
};

struct KernelRelease {
  static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) { CloseHandle(h); }
};
struct FindRelease {
  static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) { FindClose(h); }
};
struct KeyRelease {
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Free(HKEY h) { RegCloseKey(h); }
};
struct GdiRelease {
  static bool Valid(HGDIOBJ h) { return h != nullptr; }
  static void Free(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDCRelease {
  static bool Valid(HDC h) { return h != nullptr; }
  static void Free(HDC h) { DeleteDC(h); }
};
template <class I>
struct ComRelease {
  static bool Valid(I* p) { return p != nullptr; }
  static void Free(I* p) { p->Release(); }
};

using OwnedHandle = Owned<HANDLE, KernelRelease>;
using OwnedFind = Owned<HANDLE, FindRelease>;
using OwnedKey = Owned<HKEY, KeyRelease>;
template <class G>
using OwnedGdi = Owned<G, GdiRelease>;
using OwnedMemoryDC = Owned<HDC, MemoryDCRelease>;
template <class I>
using OwnedCom = Owned<I*, ComRelease<I>>;

// An object selected into a DC for a scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~Selected() {
    if (old_) SelectObject(dc_, old_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's DC borrowed for a scope.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() { ReleaseDC(hwnd_, dc_); }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A memory DC showing bmp for a scope, with black text on white: the
// colours that monochrome blits map their bits to.
class BitmapDC {
 public:
  BitmapDC(HDC like, HBITMAP bmp) : dc_(CreateCompatibleDC(like)), selected_(dc_.Get(), bmp) {
    SetTextColor(dc_.Get(), RGB(0, 0, 0));
    SetBkColor(dc_.Get(), RGB(255, 255, 255));
  }
  HDC Get() const { return dc_.Get(); }

 private:
  OwnedMemoryDC dc_;
  Selected selected_;
};

// A palette selected into a DC and realized for a scope.
class SelectedPalette {
 public:
  SelectedPalette(HDC dc, HPALETTE pal, bool background) : dc_(dc) {
    if (!pal) return;
    old_ = SelectPalette(dc_, pal, background);
    RealizePalette(dc_);
  }
  ~SelectedPalette() {
    if (!old_) return;
    SelectPalette(dc_, old_, TRUE);
    RealizePalette(dc_);
  }
  SelectedPalette(const SelectedPalette&) = delete;
  SelectedPalette& operator=(const SelectedPalette&) = delete;

 private:
  HDC dc_;
  HPALETTE old_ = nullptr;
};

// A memory surface of w x h compatible with like, selected into its DC.
class Offscreen {
 public:
  Offscreen(HDC like, int w, int h)
      : dc_(CreateCompatibleDC(like)),
        bitmap_(CreateCompatibleBitmap(like, w, h)),
        selected_(dc_.Get(), bitmap_.Get()) {}
  HDC Get() const { return dc_.Get(); }

 private:
  OwnedMemoryDC dc_;
  OwnedGdi<HBITMAP> bitmap_;
  Selected selected_;
};
