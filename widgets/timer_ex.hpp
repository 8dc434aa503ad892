// TTimerEx: a timer that ticks from a worker thread of its own (handing each
// tick to the user-interface thread and waiting for it) or from a window
// timer. Create, change and destroy it on the user-interface thread, also
// from inside its own tick; a thread-safe tick may change it as well.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>

#include "widgets/base_window.hpp"

enum class TThreadPriority {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};

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
  std::atomic<bool> ThreadSafe{false};  // the handler may run on the worker thread
  // Always restarts the timer, even with the same handler.
  void SetOnTimer(TNotifyEvent handler);

  // Reports an exception that escaped OnTimer, on either tick path.
  static std::function<void(const std::exception&)> HandleException;

 protected:
  virtual void Timer();  // the tick

 private:
  struct Worker;
  bool OnSyncTick(WPARAM worker);
  void UpdateTimer();
  void StartWorker();
  void PauseWorker();
  void ResumeWorker();
  void ReleaseWorker();
  void SafeTick();

  std::atomic<bool> enabled_{true};  // read by a thread-safe tick on the worker
  unsigned interval_ = 1000;
  bool threaded_ = true;
  TThreadPriority priority_ = TThreadPriority::tpNormal;
  TNotifyEvent onTimer_;

  // Shared with the worker thread, which may outlive this object by the
  // moment it needs to notice that it must end.
  std::shared_ptr<Worker> worker_;
  std::unique_ptr<MessageWindow> window_;      // the window timer's utility window
  std::unique_ptr<MessageWindow> syncWindow_;  // receives ticks handed over by the worker
};
