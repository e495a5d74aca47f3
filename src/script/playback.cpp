#include "playback.h"

#include "smooth_playback.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

void RecordCommand(TRoboPath& script, char letter, uint8_t servoId, uint8_t value) {
  auto command = std::make_unique<TServoCommand>();
  command->letter = letter;
  command->servoId = servoId;
  command->value = value;
  script.add(std::move(command));
}

void RecordServo(TRoboPath& script, const ServoState& state, int servo) {
  RecordCommand(script, 'M', static_cast<uint8_t>(servo),
                static_cast<uint8_t>(state.position[servo]));
}

void RecordAll(TRoboPath& script, const ServoState& state) {
  for (int i = 1; i <= kServoCount; ++i) RecordServo(script, state, i);
}

void RecordPause(TRoboPath& script) {
  RecordCommand(script, 'P', 0, 5);
}

namespace {

using TimePoint = ScheduleClock::TimePoint;

// Sets the servo and sends its frame; answers the wait that follows it, counted from when the
// frame was due.
std::pair<TimePoint, ScheduleClock::Duration> SendMove(PlaybackHost& host, Timeline& timeline,
                                                       const PlayOptions& options, int servo,
                                                       int value) {
  ServoState& state = host.servoState();
  // The wait follows the distance to the raw value, even when the clamp stops short of it.
  const int64_t distance = std::llabs(int64_t{state.position[servo]} - value);
  state.position[servo] = value;
  ClampServo(state, host.servoTables(), servo);
  host.UpdateGauges();
  const ByteString frame = ServoFrameOf(state, host.servoTables(), servo);
  const TimePoint due = timeline.FrameDue();
  host.SendFrames(frame);
  return {due, kPauseAfterWrite + options.Scaled(std::chrono::milliseconds(distance * 20))};
}

}  // namespace

MotionConfig PlayOptions::Scaled(const MotionConfig& motion) const {
  MotionConfig scaled = motion;
  for (int s = 1; s <= kServoCount; ++s) {
    if (motion.speed[s] > 0) {
      scaled.speed[s] = std::max<int32_t>(1, motion.speed[s] * speedPercent / 100);
    }
    if (motion.accel[s] > 0) {
      const int64_t accel = int64_t{motion.accel[s]} * speedPercent * speedPercent / 10000;
      scaled.accel[s] = static_cast<int32_t>(std::max<int64_t>(1, accel));
    }
  }
  return scaled;
}

namespace {

void PlayClassic(const TRoboPath& script, PlaybackHost& host, Timeline& timeline,
                 int& stopRequested, const PlayOptions& options) {
  const int n = script.count();
  for (int i = 0; i < n; ++i) {
    // getItem raises when a Load or the editor shortened the script meanwhile.
    const TServoCommand c = script.getItem(i);
    host.CommandStarting(i, n);
    if (c.letter == 'P') {
      timeline.Wait(options.Scaled(std::chrono::seconds(c.value)));
    } else if (c.letter == 'M' && c.servoId >= 1 && c.servoId <= kServoCount) {
      const auto [due, wait] = SendMove(host, timeline, options, c.servoId, c.value);
      // What the frame set going (the repaint of the gauges and lamps) runs while the arm
      // travels; left to the pumps after the wait, it would hold up the next frame.
      host.PumpEvents();
      timeline.WaitFrom(due, wait);
    }
    host.PumpEvents();
    host.PumpEvents();
    if (stopRequested == 1) break;
  }
}

// Restores the idle look if playback leaves early through an error, so the buttons and the
// run state do not stay stuck in "playing"; the tick stays stopped as after any failure.
class IdleOnError {
 public:
  explicit IdleOnError(PlaybackHost& host) : host_(host) {}
  ~IdleOnError() {
    if (armed_) {
      host_.ShowPlaying(false);
      host_.servoState().runState = 1;
    }
  }
  void Disarm() { armed_ = false; }

 private:
  PlaybackHost& host_;
  bool armed_ = true;
};

}  // namespace

void PlayScript(const TRoboPath& script, PlaybackHost& host, int& stopRequested,
                const PlayOptions& options) {
  host.StopTick();
  host.servoState().runState = 2;
  stopRequested = 0;
  host.ShowPlaying(true);
  IdleOnError restore(host);

  const MotionConfig motion = host.Motion();
  // One schedule for all passes: a pass starts when the last one's wait ends.
  Timeline timeline(host.Clock());
  // An empty script is played once, however often it is asked for.
  const bool forever = options.repeat == PlayOptions::kRepeatForever && script.count() > 0;
  for (int pass = 0; (forever || pass < options.repeat) && stopRequested != 1; ++pass) {
    if (motion.smooth) {
      PlaySmooth(script, host, stopRequested, motion, options);
    } else {
      PlayClassic(script, host, timeline, stopRequested, options);
    }
  }

  restore.Disarm();
  host.ShowPlaying(false);
  host.servoState().runState = 1;
  host.StartTick();
}
