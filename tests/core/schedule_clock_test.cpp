#include "schedule_clock.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <future>
#include <thread>

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

}  // namespace
