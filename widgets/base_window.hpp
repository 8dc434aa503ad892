// BaseWindow<T>: a window class whose static procedure finds the C++ object
// (stored at WM_NCCREATE) and forwards every message to T::HandleMessage.
// It is also the one error boundary of every window: an error that escapes
// a handler goes to WindowErrors::Report, never through the system's
// window-procedure frames (unwinding through them is not survivable).
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <stdexcept>

#include "shell/wide_text.hpp"

struct WindowErrors {
  // Set by the program to show its errors; called with the window at fault.
  static inline std::function<void(HWND, const std::exception&)> Report;
};

template <class T>
class BaseWindow {
 public:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;
  virtual ~BaseWindow() {
    if (!hwnd_) return;
    // The derived part is gone already: its last messages go to the default.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  HWND Handle() const { return hwnd_; }

 protected:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    T* self = nullptr;
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      self = static_cast<T*>(cs->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT r = 0;
    try {
      r = self->HandleMessage(msg, wp, lp);
    } catch (const std::exception& e) {
      if (WindowErrors::Report) WindowErrors::Report(hwnd, e);
    } catch (...) {
      if (WindowErrors::Report) WindowErrors::Report(hwnd, std::runtime_error("Unexpected error"));
    }
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return r;
  }

  // Registers className once for this T and creates the window with this
  // object as its owner. parent may be HWND_MESSAGE for a message-only one.
  bool CreateOwnWindow(const char* className, const char* caption, DWORD style, DWORD exStyle,
                       int x, int y, int w, int h, HWND parent = nullptr, int id = 0,
                       HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    const std::wstring name = Wide(className);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(inst, name.c_str(), &wc)) {
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = T::WindowProc;
      wc.hInstance = inst;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = background;
      wc.hIcon = LoadIconW(inst, L"MAINICON");
      wc.lpszClassName = name.c_str();
      if (!RegisterClassExW(&wc)) return false;
    }
    HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    return CreateWindowExW(exStyle, name.c_str(), Wide(caption).c_str(), style, x, y, w, h, parent,
                           menu, inst, this) != nullptr;
  }

  // A top-level window with a client area of clientW x clientH, at (x, y),
  // or centred on the screen when x < 0.
  bool CreateFramed(const char* className, const char* caption, DWORD style, DWORD exStyle, int x,
                    int y, int clientW, int clientH) {
    RECT r{0, 0, clientW, clientH};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (x < 0) {
      x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
      y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    }
    return CreateOwnWindow(className, caption, style, exStyle, x, y, w, h);
  }

  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

  HWND hwnd_ = nullptr;
};

// A message-only window whose messages go to a function: for components
// that need a window of their own but are no window (timers).
class MessageWindow : public BaseWindow<MessageWindow> {
 public:
  using Handler = std::function<bool(UINT, WPARAM, LPARAM)>;  // true when handled
  explicit MessageWindow(Handler handler) : handler_(std::move(handler)) {
    CreateOwnWindow("QvMessageWindow", "", 0, 0, 0, 0, 0, 0, HWND_MESSAGE, 0, nullptr);
  }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (handler_) {
      // A copy: the handler may destroy this window and its owner.
      const Handler handler = handler_;
      if (handler(msg, wp, lp)) return 0;
    }
    return Default(msg, wp, lp);
  }

 private:
  friend class BaseWindow<MessageWindow>;
  Handler handler_;
};
