// The thread- or window-driven timer.
//
// The worker is never suspended from outside: a thread suspended while it
// holds the loader lock (as a starting thread does) blocks every later
// library load of the process. It parks itself on an event instead, and the
// owner waits for it to say so before it changes anything the worker reads.
#include "widgets/timer_ex.hpp"

#include "shell/wide_text.hpp"

namespace {

constexpr UINT WM_SYNC_TICK = WM_APP + 0x40;

int PlatformPriority(TThreadPriority p) {
  static const int map[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                            THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                            THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                            THREAD_PRIORITY_TIME_CRITICAL};
  return map[static_cast<int>(p)];
}

// Waits for handle while letting sent messages in: a worker may be waiting
// for this thread to run a tick.
void WaitTakingSentMessages(HANDLE handle) {
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
}

}  // namespace

// What the owner and its worker thread share. `wanted` is what the owner
// asks for; the worker reads it at the top of each round, and parks
// (signalling `parked`) whenever it is not Running.
struct TTimerEx::Worker {
  enum State { Paused, Running, Stopping };

  Worker() {
    InitializeCriticalSection(&lock);
    changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    parked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~Worker() {
    if (thread) CloseHandle(thread);
    if (parked) CloseHandle(parked);
    if (changed) CloseHandle(changed);
    DeleteCriticalSection(&lock);
  }
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  State Wanted() {
    EnterCriticalSection(&lock);
    const State s = wanted;
    LeaveCriticalSection(&lock);
    return s;
  }
  // Changes the wanted state; true when the worker was asked to stop ticking.
  bool Want(State s) {
    EnterCriticalSection(&lock);
    const bool stopsTicking = wanted == Running && s != Running;
    if (stopsTicking) ResetEvent(parked);
    wanted = s;
    if (s == Stopping) owner = nullptr;
    LeaveCriticalSection(&lock);
    SetEvent(changed);
    return stopsTicking;
  }

  // Inside one of this worker's ticks: on the user-interface thread while it
  // waits for a handed-over tick, or on the worker itself (a thread-safe
  // tick). It is not ticking then and cannot start to, so nobody waits.
  bool InOwnTick() const { return GetCurrentThreadId() == threadId || syncTicks > 0; }

  static DWORD WINAPI Main(LPVOID param);

  CRITICAL_SECTION lock;
  State wanted = Paused;
  TTimerEx* owner = nullptr;  // null once the owner let go
  HANDLE changed = nullptr;   // auto-reset: wanted or the interval changed
  HANDLE parked = nullptr;    // manual-reset: the worker is not ticking
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HWND syncWindow = nullptr;
  std::atomic<unsigned> interval{1000};
  int syncTicks = 0;  // user-interface thread only: ticks of this worker running now
};

DWORD WINAPI TTimerEx::Worker::Main(LPVOID param) {
  auto* handed = static_cast<std::shared_ptr<Worker>*>(param);
  const std::shared_ptr<Worker> w = std::move(*handed);
  delete handed;
  for (;;) {
    EnterCriticalSection(&w->lock);
    const State s = w->wanted;
    if (s != Running) SetEvent(w->parked);
    LeaveCriticalSection(&w->lock);
    if (s == Stopping) break;
    if (s == Paused) {
      WaitForSingleObject(w->changed, INFINITE);
      continue;
    }
    // Sleep the current interval; any change cuts it short.
    if (WaitForSingleObject(w->changed, w->interval) != WAIT_TIMEOUT) continue;
    EnterCriticalSection(&w->lock);
    TTimerEx* owner = w->wanted == Running ? w->owner : nullptr;
    const bool direct = owner && owner->ThreadSafe;
    LeaveCriticalSection(&w->lock);
    if (!owner) continue;
    if (direct)
      owner->SafeTick();  // the owner waits for `parked` before it goes
    else
      SendMessageW(w->syncWindow, WM_SYNC_TICK, reinterpret_cast<WPARAM>(w.get()), 0);
  }
  return 0;
}

std::function<void(const std::exception&)> TTimerEx::HandleException = [](const std::exception& e) {
  MessageBoxW(nullptr, Wide(e.what()).c_str(), L"Error", MB_OK | MB_ICONERROR);
};

TTimerEx::TTimerEx() {
  syncWindow_ = std::make_unique<MessageWindow>(
      [this](UINT msg, WPARAM wp, LPARAM) { return msg == WM_SYNC_TICK && OnSyncTick(wp); });
  StartWorker();
}

TTimerEx::~TTimerEx() {
  enabled_ = false;
  UpdateTimer();
  ReleaseWorker();
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
  // The worker is parked first, so it never sees a handler half replaced.
  PauseWorker();
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimerEx::Timer() {
  if (!enabled_ || !onTimer_) return;
  // A copy: the handler may replace itself or destroy this timer.
  const TNotifyEvent handler = onTimer_;
  handler(*this);
}

void TTimerEx::SafeTick() {
  try {
    Timer();
  } catch (const std::exception& e) {
    if (HandleException) HandleException(e);
  } catch (...) {
    if (HandleException) HandleException(std::runtime_error("Unexpected error in a timer tick"));
  }
}

void TTimerEx::StartWorker() {
  auto w = std::make_shared<Worker>();
  if (!w->changed || !w->parked) return;  // no ticks rather than a broken worker
  w->owner = this;
  w->syncWindow = syncWindow_->Handle();
  w->interval = interval_;
  auto* handed = new std::shared_ptr<Worker>(w);
  w->thread = ::CreateThread(nullptr, 0, Worker::Main, handed, 0, &w->threadId);
  if (!w->thread) {
    delete handed;  // presentation components fail quietly: this timer never ticks
    return;
  }
  ::SetThreadPriority(w->thread, PlatformPriority(priority_));
  worker_ = std::move(w);
}

void TTimerEx::PauseWorker() {
  if (!worker_) return;
  if (worker_->Want(Worker::Paused) && !worker_->InOwnTick())
    WaitTakingSentMessages(worker_->parked);
}

void TTimerEx::ResumeWorker() {
  if (!worker_) return;
  ::SetThreadPriority(worker_->thread, PlatformPriority(priority_));
  worker_->interval = interval_;
  worker_->Want(Worker::Running);
}

void TTimerEx::ReleaseWorker() {
  if (!worker_) return;
  const std::shared_ptr<Worker> w = std::move(worker_);
  w->Want(Worker::Stopping);
  // From inside its own tick the worker cannot end before this returns; it
  // ends on its own afterwards and frees what it shares.
  if (!w->InOwnTick()) WaitTakingSentMessages(w->thread);
}

void TTimerEx::UpdateTimer() {
  PauseWorker();
  if (window_) KillTimer(window_->Handle(), 1);
  if (threaded_) {
    window_.reset();
    if (!worker_) StartWorker();
  } else {
    ReleaseWorker();
    if (!window_)
      window_ = std::make_unique<MessageWindow>([this](UINT msg, WPARAM, LPARAM) {
        if (msg != WM_TIMER) return false;
        SafeTick();  // may destroy this timer: nothing after it
        return true;
      });
  }
  if (interval_ == 0 || !enabled_ || !onTimer_) return;
  if (threaded_)
    ResumeWorker();
  else if (!SetTimer(window_->Handle(), 1, interval_, nullptr))
    throw EOutOfResources("No More Timers Available");
}

bool TTimerEx::OnSyncTick(WPARAM worker) {
  // The sending worker holds its shared part alive while it waits here.
  auto* w = reinterpret_cast<Worker*>(worker);
  if (w->Wanted() != Worker::Running) return true;  // stopped since it was sent
  ++w->syncTicks;
  SafeTick();  // may destroy this timer: touch only w afterwards
  --w->syncTicks;
  return true;
}
