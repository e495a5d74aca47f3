#include "schedule_clock.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <future>
#include <thread>

#include "fake_clock.h"
#include "halting_clock.h"
#include "schedule_timeline.h"

namespace {

using namespace std::chrono_literals;

void Ignore(int) {}

// Signals that interrupt the sleep (a terminal resized, a child ended) do not end it early.
TEST(SteadyScheduleClock, SleepsUntilTheDueTimeThroughSignals) {
  struct sigaction action {};
  action.sa_handler = Ignore;  // no SA_RESTART
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGUSR1, &action, &before), 0);
  ScheduleClock& clock = SteadyScheduleClock();
  const auto due = clock.Now() + 150ms;
  const pthread_t sleeper = ::pthread_self();
  auto poke = std::async(std::launch::async, [&] {
    for (int i = 0; i < 3; ++i) {
      std::this_thread::sleep_for(20ms);
      ::pthread_kill(sleeper, SIGUSR1);
    }
  });
  clock.SleepUntil(due);
  EXPECT_GE(clock.Now(), due);
  poke.get();
  ::sigaction(SIGUSR1, &before, nullptr);

  clock.SleepFor(-1s);  // passed already: at once
  clock.SleepUntil(ScheduleClock::TimePoint{});
}

// A halt that comes between two waits ends the second at once, though the schedule starts
// afresh after the halt's jump in time (as when Ctrl-C comes just before a long pause).
TEST(HaltingClock, AHaltBeforeAWaitEndsItAtOnce) {
  // A wait that goes on after the halt spins on the time; this one ends it with a failure.
  struct BoundedClock : FakeClock {
    TimePoint Now() override {
      if (++asked > 100000) throw std::runtime_error("the wait goes on after the halt");
      return now;
    }
    int asked = 0;
  } base;
  bool halt = false;
  HaltingClock clock(
      base, [&] { return halt; }, ScheduleClock::Duration::max());
  Timeline timeline(clock);
  timeline.Wait(1s);
  const auto before = base.now;
  halt = true;
  timeline.Wait(255s);
  EXPECT_EQ(base.now, before);
}

}  // namespace
