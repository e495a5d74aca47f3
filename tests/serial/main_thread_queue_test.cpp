#include "main_thread_queue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far longer than any wake-up takes: a wait that lasts this long was never woken.
constexpr auto kNeverWoken = 30s;

TEST(MainThreadQueue, ACallFromAnotherThreadRunsHereAndItsErrorGoesBack) {
  TMainThreadQueue queue;
  const std::thread::id main = std::this_thread::get_id();
  std::thread::id ranOn;
  std::exception_ptr error;
  const std::atomic<bool> abandon{false};
  std::thread caller([&] {
    error = queue.Run(
        [&] {
          ranOn = std::this_thread::get_id();
          throw std::runtime_error("refused");
        },
        abandon);
  });
  // The request wakes the wait at once; it does not sit out its time.
  const auto start = Clock::now();
  while (ranOn == std::thread::id()) queue.ServeFor(kNeverWoken);
  EXPECT_LT(Clock::now() - start, kNeverWoken / 2);
  caller.join();
  EXPECT_EQ(ranOn, main);
  ASSERT_TRUE(error);
  EXPECT_THROW(std::rethrow_exception(error), std::runtime_error);
}

TEST(MainThreadQueue, NotifyEndsAWaitOnceAndOnlyOnce) {
  TMainThreadQueue queue;
  std::thread notifier([&] {
    std::this_thread::sleep_for(50ms);
    queue.Notify();
  });
  auto start = Clock::now();
  queue.ServeFor(kNeverWoken);
  EXPECT_LT(Clock::now() - start, kNeverWoken / 2);
  notifier.join();
  // The notice is used up: the next wait runs its full time.
  start = Clock::now();
  queue.ServeFor(100ms);
  EXPECT_GE(Clock::now() - start, 100ms);
}

// A call that waits for the calling thread to go on (as closing the port from a handler waits
// for the event thread) must not hold that thread once it is told to give up.
TEST(MainThreadQueue, AnAbandonedRunReturnsWhileItsCallIsStillRunning) {
  TMainThreadQueue queue;
  std::atomic<bool> abandon{false};
  std::atomic<bool> returned{false};
  std::atomic<bool> sawReturn{false};
  std::exception_ptr error = std::make_exception_ptr(0);
  std::thread caller([&] {
    error = queue.Run(
        [&] {
          abandon = true;
          queue.Notify();
          const auto until = Clock::now() + kNeverWoken;
          while (!returned && Clock::now() < until) std::this_thread::sleep_for(1ms);
          sawReturn = returned.load();
        },
        abandon);
    returned = true;
  });
  while (!sawReturn && !returned) queue.ServeFor(10ms);
  caller.join();
  EXPECT_TRUE(sawReturn);
  EXPECT_FALSE(error);  // gone before the call ended, so it has no error to give
}

TEST(MainThreadQueue, PostedCallsRunFromTheEventLoopNotFromServeFor) {
  TMainThreadQueue queue;
  int ran = 0;
  queue.Post([&] { ++ran; });
  queue.ServeFor(1ms);
  EXPECT_EQ(ran, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 1);
}

}  // namespace
