#include "tick_timer.h"

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QTest>
#include <QTimerEvent>

namespace {

struct Counted {
  Counted() {
    QObject::connect(&timer, &TTickTimer::Tick, [this] { ++ticks; });
  }
  bool TicksAgain() {
    const int before = ticks;
    return QTest::qWaitFor([&] { return ticks > before; }, 5000);
  }
  // Timers of the event loop that wake it for this timer: a stopped one must not.
  qsizetype Registered() {
    return QAbstractEventDispatcher::instance()->registeredTimers(&timer).size();
  }
  // No tick while the loop runs for a while.
  bool Quiet() {
    const int before = ticks;
    QTest::qWait(40);
    return ticks == before;
  }
  // Not running, no timer left to wake the loop, and no tick meanwhile.
  bool Halted() { return !timer.Active() && Registered() == 0 && Quiet(); }
  TTickTimer timer;
  int ticks = 0;
};

// Waits stretch on a loaded machine and ticks only come later, so each check below asks
// either that a tick comes at all or that none comes before it is due.

TEST(TickTimer, TicksPeriodicallyOnceStartedAndNotAfterStop) {
  Counted c;
  c.timer.SetInterval(1);          // the shortest there is
  EXPECT_FALSE(c.timer.Active());  // a set interval alone starts nothing
  EXPECT_TRUE(c.Quiet());
  c.timer.Start();
  EXPECT_TRUE(c.timer.Enabled() && c.timer.Active());
  ASSERT_TRUE(c.TicksAgain() && c.TicksAgain());
  c.timer.Start();  // restarted, not doubled
  EXPECT_EQ(c.Registered(), 1);
  c.timer.Stop();
  EXPECT_FALSE(c.timer.Enabled());
  EXPECT_TRUE(c.Halted());
}

TEST(TickTimer, AnIntervalOfZeroNeverFiresYetStaysEnabled) {
  Counted c;
  c.timer.SetInterval(0);
  c.timer.Start();
  EXPECT_TRUE(c.timer.Enabled());
  EXPECT_TRUE(c.Halted());

  // Given an interval again while enabled, it runs without another Start.
  c.timer.SetInterval(10);
  EXPECT_TRUE(c.timer.Active());
  ASSERT_TRUE(c.TicksAgain());
  c.timer.SetInterval(0);
  EXPECT_TRUE(c.Halted());
}

TEST(TickTimer, StartAndANewIntervalRestartThePeriod) {
  Counted c;
  c.timer.SetInterval(300);
  c.timer.Start();
  QTest::qWait(200);
  QElapsedTimer sinceRestart;
  sinceRestart.start();
  c.timer.Start();
  qint64 firstAfter = -1;
  QObject::connect(&c.timer, &TTickTimer::Tick, [&] {
    if (firstAfter < 0) firstAfter = sinceRestart.elapsed();
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return firstAfter >= 0; }, 5000));
  EXPECT_EQ(c.ticks, 1);  // the tick due 300 ms after the first Start never came
  EXPECT_GE(firstAfter, 290);

  sinceRestart.restart();
  firstAfter = -1;
  c.timer.SetInterval(250);
  ASSERT_TRUE(QTest::qWaitFor([&] { return firstAfter >= 0; }, 5000));
  EXPECT_GE(firstAfter, 240);
}

TEST(TickTimer, OtherTimersOnItAreNotTicks) {
  Counted c;
  c.timer.SetInterval(10000);
  c.timer.Start();
  QTimerEvent foreign(c.timer.startTimer(5));
  EXPECT_TRUE(c.Quiet());  // the foreign timer fires on the object several times meanwhile
  QCoreApplication::sendEvent(&c.timer, &foreign);
  EXPECT_EQ(c.ticks, 0);
  c.timer.killTimer(foreign.timerId());
}

}  // namespace
