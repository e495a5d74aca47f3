// Teach mode: the arm's positions sampled while the operator jogs it, written as script lines
// that play the taught motion back in its own time.
#pragma once

#include <cstdint>

#include "schedule_clock.h"
#include "script_model.h"
#include "servo_state.h"

// Samples the positions every `intervalMs` on `clock`. Each sample in which servos moved adds a
// T line with the time since the sample before, then an M line per servo that moved. Where the
// arm stood still before a move, a T line and an M line that leaves a servo where it is hold it
// that long, so the move itself takes only its own time. Times go into the script rounded to
// 100 ms, each counted from the rounded time before it, so the rounding never adds up. A hold
// beyond what one T line holds (25.5 s) is made up with P lines of whole seconds. The time
// before the first movement is left out: the path plays from its start pose straight away.
class TeachRecorder {
 public:
  explicit TeachRecorder(ScheduleClock& clock) : clock_(clock) {}

  // Begins with the pose as it is (six M lines), so the taught path plays from where it began.
  void Start(TRoboPath& script, const ServoState& state, int intervalMs);
  // Takes a sample when one is due; returns the commands it appended. Call it as often as the
  // positions may change (each control tick).
  int Sample(TRoboPath& script, const ServoState& state);
  void Stop() { active_ = false; }
  // A sample is due: the positions are worth reading now.
  bool Due() const { return active_ && ElapsedMs() >= nextDueMs_; }

  bool active() const { return active_; }
  // Commands appended since Start.
  int commands() const { return commands_; }

 private:
  int64_t ElapsedMs() const;
  void Append(TRoboPath& script, char letter, int servoId, int value);
  // T lines (and P lines for a long one) for `ms` from the script's time; the script's time
  // moves on by what they hold.
  void AppendTime(TRoboPath& script, int64_t ms);

  ScheduleClock& clock_;
  ScheduleClock::TimePoint start_{};
  int64_t intervalMs_ = 100;
  int64_t nextDueMs_ = 0;
  int64_t lastSampleMs_ = 0;
  int64_t scriptMs_ = 0;  // where the T lines written so far bring the script
  int32_t recorded_[kServoCount + 1] = {};
  bool active_ = false;
  bool moved_ = false;  // some servo moved since Start
  int commands_ = 0;
};
