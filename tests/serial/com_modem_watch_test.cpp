// The modem-line watch with a stand-in for the driver's change wait: a wait that blocks in
// poll() on a pipe, as interruptible by a signal as the real one.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "com_modem_watch.h"

namespace {

using namespace std::chrono_literals;

class FakeDriver {
 public:
  FakeDriver() { EXPECT_EQ(::pipe(ends_), 0); }
  ~FakeDriver() {
    ::close(ends_[0]);
    ::close(ends_[1]);
  }
  // Each byte ends one wait: 'c' a change, anything else the given refusal.
  void Send(char what) { ASSERT_EQ(::write(ends_[1], &what, 1), 1); }
  int Wait() {
    ++entries;
    pollfd p{ends_[0], POLLIN, 0};
    if (::poll(&p, 1, -1) < 0) return errno;
    char what = 0;
    if (::read(ends_[0], &what, 1) != 1) return EIO;
    return what == 'c' ? 0 : ENOTTY;
  }
  std::atomic<int> entries{0};

 private:
  int ends_[2] = {-1, -1};
};

bool Within(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// What a wait for a change from `seen` gives when the driver sends `what` while it waits, and
// whether the wait was woken by it rather than by its long time-out.
struct WokenWait {
  bool changed = false;
  bool woken = false;
};
WokenWait WaitWhileSending(TModemWatch& watch, FakeDriver& driver, char what, uint64_t seen) {
  std::thread sender([&] {
    std::this_thread::sleep_for(20ms);
    driver.Send(what);
  });
  const auto start = std::chrono::steady_clock::now();
  WokenWait result;
  result.changed = watch.WaitForChange(seen, 30000);
  result.woken = std::chrono::steady_clock::now() - start < 15s;
  sender.join();
  return result;
}

TEST(ModemWatch, EachChangeIsPassedOnOnceAndTheWaitResumes) {
  FakeDriver driver;
  std::atomic<int> told{0};
  TModemWatch watch([&] { return driver.Wait(); }, [&] { ++told; });
  const WokenWait first = WaitWhileSending(watch, driver, 'c', 0);
  EXPECT_TRUE(first.changed);
  EXPECT_TRUE(first.woken);  // by the change itself
  driver.Send('c');
  ASSERT_TRUE(watch.WaitForChange(1, 5000));
  ASSERT_TRUE(Within([&] { return driver.entries == 3; }));
  EXPECT_EQ(told, 2);
  EXPECT_EQ(watch.Changes(), 2u);
  EXPECT_EQ(watch.Failure(), 0);
  EXPECT_FALSE(watch.WaitForChange(2, 50));  // nothing more happened
}

TEST(ModemWatch, StopEndsAWaitInProgress) {
  FakeDriver driver;
  TModemWatch watch([&] { return driver.Wait(); }, [] {});
  watch.WaitUntilWaiting();
  ASSERT_TRUE(Within([&] { return driver.entries == 1; }));
  std::this_thread::sleep_for(20ms);  // well inside poll()
  watch.Stop();
  EXPECT_EQ(watch.Changes(), 0u);
  EXPECT_EQ(watch.Failure(), 0);  // a stop is no failure
}

TEST(ModemWatch, StopRightAfterTheStartNeverHangs) {
  // The stop may land before the thread is inside its wait.
  for (int i = 0; i < 200; ++i) {
    FakeDriver driver;
    TModemWatch watch([&] { return driver.Wait(); }, [] {});
    watch.Stop();
    ASSERT_EQ(watch.Failure(), 0);
    ASSERT_LE(driver.entries, 1);
  }
}

TEST(ModemWatch, RearmWaitsAfresh) {
  FakeDriver driver;
  std::atomic<int> told{0};
  TModemWatch watch([&] { return driver.Wait(); }, [&] { ++told; });
  ASSERT_TRUE(Within([&] { return driver.entries == 1; }));
  std::this_thread::sleep_for(20ms);
  watch.Rearm();
  ASSERT_TRUE(Within([&] { return driver.entries == 2; }));
  EXPECT_EQ(told, 0);  // an interrupted wait is no change
  driver.Send('c');
  ASSERT_TRUE(watch.WaitForChange(0, 5000));
}

TEST(ModemWatch, ADriverThatCannotWaitEndsTheWatchAndSaysSo) {
  FakeDriver driver;
  std::atomic<int> told{0};
  TModemWatch watch([&] { return driver.Wait(); }, [&] { ++told; });
  // Someone waiting for a change hears of the end at once, not at the end of the wait.
  const WokenWait refused = WaitWhileSending(watch, driver, 'n', 0);
  EXPECT_FALSE(refused.changed);
  EXPECT_TRUE(refused.woken);
  ASSERT_TRUE(Within([&] { return watch.Failure() != 0; }));
  EXPECT_EQ(watch.Failure(), ENOTTY);
  ASSERT_TRUE(Within([&] { return told == 1; }));  // told once, to look for itself
  watch.Rearm();                                   // harmless once ended
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(driver.entries, 1);
  EXPECT_FALSE(watch.WaitForChange(watch.Changes(), 1000));  // an ended watch is no change
  watch.Stop();
}

}  // namespace
