#include "halting_clock.h"

#include <gtest/gtest.h>

#include "fake_clock.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;

TEST(HaltingClock, AHaltEndsTheWaitInProgressAndEveryWaitAfterIt) {
  FakeClock base;
  bool halt = false;
  int betweens = 0;
  HaltingClock clock(
      base, [&] { return halt; }, 20ms,
      [&] {
        // The window handles its keys here; the third look finds Esc.
        if (++betweens == 3) halt = true;
      });
  const auto start = clock.Now();
  clock.SleepUntil(start + 1s);
  EXPECT_EQ(base.sleeps, (std::vector<microseconds>{20ms, 20ms, 20ms}));
  EXPECT_GE(clock.Now(), start + 1s);  // the schedule sees its wait as over
  halt = false;                        // latched until Reset
  clock.SleepUntil(clock.Now() + 5s);
  EXPECT_EQ(base.sleeps.size(), 3u);

  clock.Reset();
  base.sleeps.clear();
  betweens = 10;
  // A wait no longer than a slice is one sleep with no look in between.
  clock.SleepUntil(clock.Now() + 2ms);
  clock.SleepUntil(clock.Now() + 50ms);
  EXPECT_EQ(base.sleeps, (std::vector<microseconds>{2ms, 20ms, 20ms, 10ms}));
  EXPECT_EQ(betweens, 12);
}

}  // namespace
