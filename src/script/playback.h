// Recording live positions into the script and playing a script back on the arm.
#pragma once

#include <chrono>
#include <cstdint>

#include "arm_gate.h"
#include "schedule_clock.h"
#include "script_cursor.h"
#include "script_model.h"
#include "servo_state.h"

// A T line's value is the next move's time in tenths of a second (0..25.5 s).
inline constexpr char kTimedMoveLetter = 'T';
inline constexpr int64_t kTimedMoveUnitMs = 100;

// What playback needs from whoever shows it (the window, a command line run, a dry run); the
// arm itself is reached only through the gate.
class PlaybackHost {
 public:
  virtual ~PlaybackHost() = default;
  virtual void StopTick() {}
  virtual void StartTick() {}
  // Playing look: Play, New, Move, Home, Teach, Load and Edit disabled, Stop enabled,
  // "Playing....." shown; or back to idle.
  virtual void ShowPlaying(bool playing) { static_cast<void>(playing); }
  // Lets the window handle what is pending (clicks, keys) without blocking.
  virtual void PumpEvents() {}
  // A W line: the arm holds its pose, nothing is sent, until the operator continues (true)
  // or the run is to end (false). Passes at once unless the host has an operator.
  virtual bool WaitForOperator() { return true; }
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
  // A dry run goes once through a loop for ever and ends there.
  ScriptCursor::Forever forever = ScriptCursor::Forever::Loop;

  double pace() const { return speedPercent / 100.0; }
};

// Appends one command to the script.
void RecordCommand(TRoboPath& script, char letter, uint8_t servoId, uint8_t value);
// One move of servo `servo` at its current position; RecordAll records servos 1..6.
void RecordServo(TRoboPath& script, const ServoState& state, int servo);
void RecordAll(TRoboPath& script, const ServoState& state);
void RecordPause(TRoboPath& script);

// Walks the script from the top, options.repeat times, taking its jumps (a script whose flow
// cannot be played is refused before anything moves), as one run of the gate (EArmBusy while
// another motion runs). Consecutive M lines naming different servos are one move: classic
// sends them one by one, each followed by its travel wait; smooth moves them together under
// the limits. A T line asks the next move to take its value x 100 ms (smooth only); a P line
// holds still; a W line waits for the operator; an S line paces what follows on top of
// `options.speedPercent`; other letters are skipped. The gate's halt is looked at after every wait;
// once halted nothing more goes out. At `options.speedPercent` every wait and limit is
// scaled.
void PlayScript(const TRoboPath& script, ArmGate& gate, PlaybackHost& host,
                const PlayOptions& options = {});
