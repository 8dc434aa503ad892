// TTimerEx: a timer that ticks from a worker thread of its own (handing each
// tick to the user-interface thread and waiting for it) or from a window
// timer. Create, change and destroy it on the user-interface thread.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class EOutOfResources : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TTimerEx {
 public:
  using TNotifyEvent = std::function<void(TTimerEx&)>;

  TTimerEx();
  virtual ~TTimerEx();
  TTimerEx(const TTimerEx&) = delete;
  TTimerEx& operator=(const TTimerEx&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool v);
  TThreadPriority ThreadPriority() const { return priority_; }
  void SetThreadPriority(TThreadPriority p);
  bool ThreadSafe = false;  // the handler may run on the worker thread
  // Always restarts the timer, even with the same handler.
  void SetOnTimer(TNotifyEvent handler);

  // Reports an exception that escaped OnTimer in window-timer mode.
  static std::function<void(const std::exception&)> HandleException;

 protected:
  virtual void Timer();  // the tick

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  void UpdateTimer();
  void CreateThread();
  void ReleaseThread();
  void SuspendWorker();
  static int PlatformPriority(TThreadPriority p);

  bool enabled_ = true;
  volatile unsigned interval_ = 1000;
  bool threaded_ = true;
  volatile TThreadPriority priority_ = TThreadPriority::tpNormal;
  TNotifyEvent onTimer_;

  HANDLE thread_ = nullptr;
  volatile bool stop_ = false;
  bool suspended_ = false;
  HANDLE wake_ = nullptr;      // ends the worker's sleep early when it must stop
  HWND window_ = nullptr;      // the window timer's utility window
  HWND syncWindow_ = nullptr;  // receives ticks handed over by the worker
};
