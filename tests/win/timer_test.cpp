// The animation timer: both tick sources, where ticks run, stopping and
// restarting on every change.
#include "widgets/timer_ex.hpp"

#include <gtest/gtest.h>

#include "tests/win/win_test_util.hpp"

#include <atomic>
#include <memory>

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
  t.SetOnTimer(c.Handler());
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
