// Recording live positions into the script and playing a script back on the arm.
#pragma once

#include <chrono>
#include <cstdint>

#include "motion_config.h"
#include "motion_run.h"
#include "schedule_clock.h"
#include "schedule_timeline.h"
#include "script_model.h"
#include "servo_state.h"

// What playback needs from the window that owns the arm, beyond what a move needs
// (motion_run.h: the servos, the one path to the line, the gauges, the event pump, the clock).
// The window's SendFrames also restarts the tick.
class PlaybackHost : public MotionHost {
 public:
  virtual void StopTick() = 0;
  virtual void StartTick() = 0;
  // Playing look: Play and New disabled, Stop enabled, "Playing....." shown; or back to idle.
  virtual void ShowPlaying(bool playing) = 0;
  // Classic or smooth, with the limits, the tick and the line's budget; classic unless told.
  virtual MotionConfig Motion() const { return {}; }
  // Command `index` (0-based) of the `count` being played is about to run.
  virtual void CommandStarting(int index, int count) {
    static_cast<void>(index);
    static_cast<void>(count);
  }
};

// How a script is played: its speed and how many times over.
struct PlayOptions {
  static constexpr int kMinSpeed = 10;
  static constexpr int kMaxSpeed = 400;
  static constexpr int kMaxRepeat = 999;
  static constexpr int kRepeatForever = 0;

  // Percent: at 200 the waits take half their time.
  int speedPercent = 100;
  // Passes over the script, or kRepeatForever until stopped.
  int repeat = 1;

  // A wait of `span` at this speed.
  ScheduleClock::Duration Scaled(ScheduleClock::Duration span) const {
    return span * 100 / speedPercent;
  }
  // The limits of smooth moves at this speed: speeds scaled by it and accelerations by its
  // square, so that every move's time is scaled as a wait is. No limit stays no limit.
  MotionConfig Scaled(const MotionConfig& motion) const;
};

// Appends one command to the script.
void RecordCommand(TRoboPath& script, char letter, uint8_t servoId, uint8_t value);
// One move of servo `servo` at its current position; RecordAll records servos 1..6.
void RecordServo(TRoboPath& script, const ServoState& state, int servo);
void RecordAll(TRoboPath& script, const ServoState& state);
void RecordPause(TRoboPath& script);

// Walks the script from the top, options.repeat times. `stopRequested` is set by the Stop button
// while the events are pumped (once right after each frame, twice after each command); it is
// checked after each command. Each wait runs from the time the
// frame before it was due (its due time, the pause after the write and the travel time), not from
// when the work around it ended, so that work never adds up over a script; no frame leaves
// before it is due. When the host's motion is smooth, the script plays as smooth_playback.h
// says; classic skips T lines like any other letter it does not know.
void PlayScript(const TRoboPath& script, PlaybackHost& host, int& stopRequested,
                const PlayOptions& options = {});
