// The thread- or window-driven timer.
#include "widgets/timer_ex.hpp"

namespace {

constexpr UINT WM_SYNC_TICK = WM_APP + 0x40;
const char kClass[] = "TTimerExWindow";

void RegisterOnce() {
  WNDCLASSA wc{};
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (GetClassInfoA(inst, kClass, &wc)) return;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = inst;
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);
}

HWND MakeWindow(WNDPROC proc, void* self) {
  RegisterOnce();
  HWND h = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  return h;
}

}  // namespace

std::function<void(const std::exception&)> TTimerEx::HandleException = [](const std::exception& e) {
  MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR);
};

TTimerEx::TTimerEx() {
  wake_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  syncWindow_ = MakeWindow(WindowProc, this);
  CreateThread();
}

TTimerEx::~TTimerEx() {
  enabled_ = false;
  UpdateTimer();
  ReleaseThread();
  if (window_) DestroyWindow(window_);
  DestroyWindow(syncWindow_);
  CloseHandle(wake_);
}

int TTimerEx::PlatformPriority(TThreadPriority p) {
  static const int map[] = {THREAD_PRIORITY_IDLE,   THREAD_PRIORITY_LOWEST,
                            THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                            THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                            THREAD_PRIORITY_TIME_CRITICAL};
  return map[static_cast<int>(p)];
}

void TTimerEx::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimerEx::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimerEx::SetThreaded(bool v) {
  if (v == threaded_) return;
  threaded_ = v;
  UpdateTimer();
}

void TTimerEx::SetThreadPriority(TThreadPriority p) {
  if (p == priority_) return;
  priority_ = p;
  if (threaded_) UpdateTimer();
}

void TTimerEx::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimerEx::Timer() {
  if (enabled_ && onTimer_) onTimer_(*this);
}

void TTimerEx::CreateThread() {
  stop_ = false;
  ResetEvent(wake_);
  thread_ = ::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
  suspended_ = false;
}

void TTimerEx::SuspendWorker() {
  if (thread_ && !suspended_) {
    SuspendThread(thread_);
    suspended_ = true;
  }
}

void TTimerEx::ReleaseThread() {
  if (!thread_) return;
  stop_ = true;
  SetEvent(wake_);
  while (ResumeThread(thread_) > 1) {
  }
  suspended_ = false;
  // The worker may be waiting for this thread to run a tick: keep taking
  // sent messages until it has ended.
  while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
  CloseHandle(thread_);
  thread_ = nullptr;
}

void TTimerEx::UpdateTimer() {
  SuspendWorker();
  if (window_) KillTimer(window_, 1);
  if (threaded_) {
    if (window_) {
      DestroyWindow(window_);
      window_ = nullptr;
    }
    if (!thread_) CreateThread();
  } else {
    ReleaseThread();
    if (!window_) window_ = MakeWindow(WindowProc, this);
  }
  if (interval_ == 0 || !enabled_ || !onTimer_) return;
  if (threaded_) {
    ::SetThreadPriority(thread_, PlatformPriority(priority_));
    while (ResumeThread(thread_) > 1) {
    }
    suspended_ = false;
  } else if (!SetTimer(window_, 1, interval_, nullptr)) {
    throw EOutOfResources("No More Timers Available");
  }
}

DWORD WINAPI TTimerEx::ThreadMain(LPVOID p) {
  auto* self = static_cast<TTimerEx*>(p);
  ::SetThreadPriority(GetCurrentThread(), PlatformPriority(self->priority_));
  while (!self->stop_) {
    // Sleep the current interval; a stop request cuts it short.
    if (WaitForSingleObject(self->wake_, self->interval_) != WAIT_TIMEOUT || self->stop_) continue;
    if (self->ThreadSafe)
      self->Timer();
    else
      SendMessageA(self->syncWindow_, WM_SYNC_TICK, 0, 0);
  }
  return 0;
}

LRESULT CALLBACK TTimerEx::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TTimerEx*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && msg == WM_SYNC_TICK) {
    if (!self->stop_) self->Timer();
    return 0;
  }
  if (self && msg == WM_TIMER && hwnd == self->window_) {
    try {
      self->Timer();
    } catch (const std::exception& e) {
      if (HandleException) HandleException(e);
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}
