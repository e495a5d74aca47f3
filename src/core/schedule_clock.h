// The time that schedules are kept by: playback's waits and the pause after each write. Tests
// put in their own clock and check a schedule without sleeping.
#pragma once

#include <chrono>

class ScheduleClock {
 public:
  using Clock = std::chrono::steady_clock;
  using TimePoint = Clock::time_point;
  using Duration = Clock::duration;

  virtual ~ScheduleClock() = default;
  virtual TimePoint Now() = 0;
  // Returns at `when` or later; at once when `when` has passed.
  virtual void SleepUntil(TimePoint when) = 0;
  // True once the run this clock times was halted: no wait of it lasts any more.
  virtual bool Halted() { return false; }

  void SleepFor(Duration span) { SleepUntil(Now() + span); }
};

// The steady clock of the machine; one for the whole program.
ScheduleClock& SteadyScheduleClock();
