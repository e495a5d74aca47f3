// The nominal time at which the next frame is due, for anything that sends on a schedule:
// playback's waits and the ticks of a smooth move. Each wait runs from when the frame before
// it was due, not from when the work around it ended, so that work never adds up.
#pragma once

#include <chrono>

#include "schedule_clock.h"

// How late a frame may leave and still have the next wait shortened by its lateness. Beyond
// it (a modal dialog held the thread) the schedule starts afresh from that frame, so the
// arm still gets every travel time in full.
inline constexpr std::chrono::milliseconds kCatchUpLimit{20};

class Timeline {
 public:
  using TimePoint = ScheduleClock::TimePoint;
  using Duration = ScheduleClock::Duration;

  explicit Timeline(ScheduleClock& clock) : clock_(clock) {}

  // Waits until the next frame is due and answers that time.
  TimePoint FrameDue();
  // Waits `span` counted from `from`.
  void WaitFrom(TimePoint from, Duration span);
  // Waits `span` counted from when the last wait was due.
  void Wait(Duration span) { WaitFrom(Anchor(), span); }

 private:
  // A sleep may end early (a signal); the schedule must not.
  void SleepTo(TimePoint when);
  // Where the schedule stands. It starts with the first frame; when we are too far behind
  // it, it starts afresh from now.
  TimePoint Anchor();

  ScheduleClock& clock_;
  TimePoint next_;
  bool started_ = false;
};
