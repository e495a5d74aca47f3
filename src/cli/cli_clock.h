// The clock a subcommand runs on, with the stop that SIGINT and SIGTERM ask for: every wait
// of a run goes through it, so a stop ends a wait at once and tests need not sleep.
#pragma once

#include "schedule_clock.h"

class CliClock : public ScheduleClock {
 public:
  // Besides reaching `when`, SleepUntil returns as soon as a stop has been asked for.
  virtual bool StopRequested() = 0;
  // A descriptor that turns readable once a stop is asked for, for waits outside the clock
  // (a write to a stalled line); -1 when there is none.
  virtual int StopFd() const { return -1; }
};

// The steady clock. While it lives SIGINT and SIGTERM ask for a stop instead of ending the
// process; the previous handling comes back when it goes. One at a time.
class SignalClock : public CliClock {
 public:
  SignalClock();
  ~SignalClock() override;
  SignalClock(const SignalClock&) = delete;
  SignalClock& operator=(const SignalClock&) = delete;

  TimePoint Now() override;
  void SleepUntil(TimePoint when) override;
  bool StopRequested() override;
  int StopFd() const override;
};
