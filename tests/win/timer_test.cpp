// The animation timer: both tick sources, where ticks run, stopping and
// restarting on every change.
#include "widgets/timer_ex.hpp"

#include <gtest/gtest.h>

#include "tests/win/win_test_util.hpp"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// While set, every new thread of this program holds the loader lock 30 ms
// longer (a thread attach callback runs under it), which makes a race with
// a thread's start-up certain instead of rare.
std::atomic<bool> g_slowThreadStart{false};

void NTAPI SlowThreadStart(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH && g_slowThreadStart) Sleep(30);
}
extern "C" {
__attribute__((section(".CRT$XLY"), used)) PIMAGE_TLS_CALLBACK slow_thread_start = SlowThreadStart;
}

namespace {

using wintest::Pump;

struct Counter {
  std::atomic<int> ticks{0};
  std::atomic<int> offThread{0};
  DWORD ui = GetCurrentThreadId();
  TTimerEx::TNotifyEvent Handler() {
    return [this](TTimerEx&) {
      ++ticks;
      if (GetCurrentThreadId() != ui) ++offThread;
    };
  }
};

TEST(TimerEx, BothSourcesTickOnTheUserInterfaceThread) {
  for (bool threaded : {false, true}) {
    SCOPED_TRACE(threaded ? "threaded" : "window timer");
    Counter c;
    TTimerEx t;
    t.SetThreaded(threaded);
    t.SetInterval(50);
    t.SetOnTimer(c.Handler());
    Pump(600);
    EXPECT_GE(c.ticks, 5);
    EXPECT_LE(c.ticks, 13);
    EXPECT_EQ(c.offThread, 0);
  }
}

TEST(TimerEx, ThreadSafeTicksRunOnTheWorker) {
  Counter c;
  TTimerEx t;
  t.ThreadSafe = true;
  t.SetInterval(30);
  // A change from the tick itself must not wait for that tick to end.
  t.SetOnTimer([count = c.Handler()](TTimerEx& self) {
    count(self);
    self.SetInterval(20);
  });
  Sleep(400);  // no message pumping needed
  EXPECT_GE(c.ticks, 5);
  EXPECT_EQ(c.offThread, c.ticks.load());
}

TEST(TimerEx, NoTicksWhenStopped) {
  for (bool threaded : {false, true}) {
    Counter zero, off;
    TTimerEx a, b;
    a.SetThreaded(threaded);
    a.SetInterval(0);
    a.SetOnTimer(zero.Handler());
    b.SetThreaded(threaded);
    b.SetInterval(20);
    b.SetEnabled(false);
    b.SetOnTimer(off.Handler());
    Pump(300);
    EXPECT_EQ(zero.ticks, 0);
    EXPECT_EQ(off.ticks, 0);
  }
}

TEST(TimerEx, AssigningTheHandlerAgainRestartsTheWindowTimer) {
  Counter c;
  TTimerEx t;
  t.SetThreaded(false);
  t.SetInterval(300);
  auto h = c.Handler();
  t.SetOnTimer(h);
  Pump(200);
  t.SetOnTimer(h);
  Pump(200);  // 400 ms in all, but only 200 since the restart
  EXPECT_EQ(c.ticks, 0);
  Pump(200);
  EXPECT_EQ(c.ticks, 1);
}

TEST(TimerEx, SwitchingSourcesNeverLeavesTwo) {
  Counter c;
  TTimerEx t;
  t.SetInterval(50);
  t.SetOnTimer(c.Handler());
  t.SetThreaded(false);
  t.SetThreaded(true);
  t.SetThreaded(false);
  t.SetThreadPriority(TThreadPriority::tpHigher);  // stored only
  EXPECT_EQ(t.ThreadPriority(), TThreadPriority::tpHigher);
  Pump(600);
  EXPECT_GE(c.ticks, 5);
  EXPECT_LE(c.ticks, 13);
}

TEST(TimerEx, AStoppedWorkerNeverBlocksOtherThreadsFromStarting) {
  // A worker stopped while it still starts up would hold the loader lock,
  // and every thread start and library load of the program would wait.
  g_slowThreadStart = true;
  Counter c;
  for (int i = 0; i < 5; ++i) {
    TTimerEx t;
    t.SetEnabled(false);
    t.SetOnTimer(c.Handler());
    HANDLE other = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(other, 3000), WAIT_OBJECT_0);
    CloseHandle(other);
  }
  g_slowThreadStart = false;
}

TEST(TimerEx, DestroyingARunningTimerDoesNotWait) {
  Counter c;
  auto t = std::make_unique<TTimerEx>();
  t->SetInterval(5000);
  t->SetOnTimer(c.Handler());
  Pump(50);
  const DWORD start = GetTickCount();
  t.reset();
  EXPECT_LT(GetTickCount() - start, 1000u);
  auto busy = std::make_unique<TTimerEx>();
  busy->SetInterval(1);
  busy->SetOnTimer(c.Handler());
  Pump(100);
  busy.reset();  // the worker may be waiting on this thread right now
  EXPECT_GT(c.ticks, 0);
}

}  // namespace

namespace {

TEST(TimerEx, ATickMayDestroyOrUnthreadItsOwnTimer) {
  enum { kDestroyThreaded, kDestroyWindowTimer, kUnthread };
  for (int mode : {kDestroyThreaded, kDestroyWindowTimer, kUnthread}) {
    SCOPED_TRACE(mode);
    auto t = std::make_unique<TTimerEx>();
    int ticks = 0;
    t->SetThreaded(mode != kDestroyWindowTimer);
    t->SetInterval(20);
    t->SetOnTimer([&](TTimerEx& self) {
      ++ticks;
      if (mode == kUnthread)
        self.SetThreaded(false);
      else
        t.reset();
    });
    Pump(400);
    if (mode == kUnthread) {
      ASSERT_NE(t, nullptr);
      EXPECT_FALSE(t->Threaded());
      EXPECT_GE(ticks, 3);  // the window timer took over
    } else {
      EXPECT_EQ(t, nullptr);
      EXPECT_EQ(ticks, 1);
    }
  }
}

TEST(TimerEx, ATickThatThrowsIsReportedOnEitherPath) {
  std::vector<std::string> reported;
  const auto saved = TTimerEx::HandleException;
  TTimerEx::HandleException = [&](const std::exception& e) { reported.push_back(e.what()); };
  for (bool threaded : {false, true}) {
    TTimerEx t;
    t.SetThreaded(threaded);
    t.SetInterval(30);
    t.SetOnTimer([](TTimerEx& self) {
      self.SetEnabled(false);
      throw std::runtime_error("tick failed");
    });
    Pump(300);
  }
  TTimerEx::HandleException = saved;
  EXPECT_EQ(reported, (std::vector<std::string>{"tick failed", "tick failed"}));
}

}  // namespace
