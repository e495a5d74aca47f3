#include "halting_clock.h"

HaltingClock::HaltingClock(ScheduleClock& base, std::function<bool()> halted, Duration slice,
                           std::function<void()> between)
    : base_(base), halted_(std::move(halted)), slice_(slice), between_(std::move(between)) {}

bool HaltingClock::Halted() {
  if (!latched_ && halted_ && halted_()) latched_ = true;
  return latched_;
}

ScheduleClock::TimePoint HaltingClock::Now() {
  return base_.Now() + (Halted() ? kHaltJump : Duration{});
}

void HaltingClock::SleepUntil(TimePoint when) {
  for (;;) {
    // Not halted, the time is the base's own.
    if (Halted()) return;
    const TimePoint now = base_.Now();
    if (now >= when) return;
    base_.SleepUntil(when - now > slice_ ? now + slice_ : when);
    // Only while a whole slice is left, so that what it does never makes the end of the wait
    // late; a short wait (the pause after a write) never calls it.
    if (between_ && when - base_.Now() > slice_ && !Halted()) between_();
  }
}
