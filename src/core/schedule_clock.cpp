#include "schedule_clock.h"

#include <cerrno>
#include <ctime>

namespace {

class SteadyClock final : public ScheduleClock {
 public:
  TimePoint Now() override { return Clock::now(); }

  void SleepUntil(TimePoint when) override {
    // An absolute wake-up: a signal or a late start does not stretch the wait. A time before
    // the clock's start is past (or, with negative nanoseconds, refused): no wait either way.
    const auto since =
        std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch());
    timespec at{};
    at.tv_sec = static_cast<time_t>(since.count() / 1000000000);
    at.tv_nsec = static_cast<long>(since.count() % 1000000000);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
  }
};

}  // namespace

ScheduleClock& SteadyScheduleClock() {
  static SteadyClock clock;
  return clock;
}
