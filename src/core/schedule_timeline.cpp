#include "schedule_timeline.h"

Timeline::TimePoint Timeline::FrameDue() {
  const TimePoint due = Anchor();
  SleepTo(due);
  return due;
}

void Timeline::WaitFrom(TimePoint from, Duration span) {
  next_ = from + span;
  SleepTo(next_);
}

void Timeline::SleepTo(TimePoint when) {
  // A halt ends the wait whatever `when` is: a schedule anchored after the halt's time jump
  // lies beyond the jump too.
  while (!clock_.Halted() && clock_.Now() < when) clock_.SleepUntil(when);
}

Timeline::TimePoint Timeline::Anchor() {
  const TimePoint now = clock_.Now();
  if (!started_ || now - next_ > kCatchUpLimit) next_ = now;
  started_ = true;
  return next_;
}
