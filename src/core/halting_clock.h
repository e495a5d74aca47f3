// The clock of a run that can be halted: once a halt is asked for, its time jumps far ahead, so
// the wait in progress and every wait after it are over at once and a schedule kept by it
// never waits again.
#pragma once

#include <chrono>
#include <functional>

#include "schedule_clock.h"

class HaltingClock : public ScheduleClock {
 public:
  // Longer than any wait of a script.
  static constexpr Duration kHaltJump = std::chrono::hours(24);

  // Waits on `base` in slices of at most `slice`, asking `halted` after each and calling
  // `between` while the wait goes on (to let a window handle its keys, to redraw progress).
  HaltingClock(ScheduleClock& base, std::function<bool()> halted, Duration slice,
               std::function<void()> between = {});

  TimePoint Now() override;
  void SleepUntil(TimePoint when) override;
  // Once true, true until Reset.
  bool Halted() override;
  // A new run: a halt asked for from now on halts it.
  void Reset() { latched_ = false; }

 private:
  ScheduleClock& base_;
  std::function<bool()> halted_;
  Duration slice_;
  std::function<void()> between_;
  bool latched_ = false;
};
