// BaseWindow<T>: a window class whose static procedure finds the C++ object
// (stored at WM_NCCREATE) and forwards every message to T::HandleMessage.
#pragma once

#include <windows.h>

template <class T>
class BaseWindow {
 public:
  virtual ~BaseWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND Handle() const { return hwnd_; }

 protected:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    T* self = nullptr;
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      self = static_cast<T*>(cs->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT r = self->HandleMessage(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return r;
  }

  // Registers the class once and creates the window with a client area of
  // clientW x clientH, at (x, y), or centred on the screen when x < 0.
  bool CreateFramed(const char* className, const char* caption, DWORD style, DWORD exStyle,
                    int x, int y, int clientW, int clientH) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(inst, className, &wc)) {
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = T::WindowProc;
      wc.hInstance = inst;
      wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.hIcon = LoadIconA(inst, "MAINICON");
      wc.lpszClassName = className;
      if (!RegisterClassExA(&wc)) return false;
    }
    RECT r{0, 0, clientW, clientH};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (x < 0) {
      x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
      y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    }
    return CreateWindowExA(exStyle, className, caption, style, x, y, w, h, nullptr, nullptr, inst,
                           this) != nullptr;
  }

  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd_, msg, wp, lp); }

  HWND hwnd_ = nullptr;
};
