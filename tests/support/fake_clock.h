// A clock that only moves when told to or when something sleeps on it, so a schedule can be
// checked to the microsecond without waiting for it.
#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "schedule_clock.h"

class FakeClock : public ScheduleClock {
 public:
  TimePoint Now() override { return now; }
  void SleepUntil(TimePoint when) override {
    sleeps.push_back(std::chrono::duration_cast<std::chrono::microseconds>(when - now));
    if (when > now) now = when;
    if (onSleep) onSleep();
  }
  void Advance(Duration span) { now += span; }

  TimePoint now = TimePoint{} + std::chrono::hours(1);
  // Every sleep asked for, counted from the time it was asked.
  std::vector<std::chrono::microseconds> sleeps;
  std::function<void()> onSleep;
};
