#include "smooth_playback.h"

#include <chrono>

namespace {

bool IsServoMove(const TServoCommand& c) {
  return c.letter == 'M' && c.servoId >= 1 && c.servoId <= kServoCount;
}

}  // namespace

void PlaySmooth(const TRoboPath& script, PlaybackHost& host, int& stopRequested,
                const MotionConfig& motion, const PlayOptions& options) {
  ServoState& state = host.servoState();
  StopJogging(state);
  const MotionLimits limits = LimitsOf(host.servoTables(), options.Scaled(motion));
  const auto scaledMs = [&options](std::chrono::milliseconds span) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(options.Scaled(span)).count();
  };
  Timeline timeline(host.Clock());
  LineBudget line(motion.framesPerTick);
  line.Reset(PoseOf(state));
  const auto halted = [&stopRequested] { return stopRequested == 1; };

  int64_t requestedMs = 0;
  const int n = script.count();
  for (int i = 0; i < n && !halted();) {
    // getItem raises when a Load or the editor shortened the script meanwhile.
    const TServoCommand c = script.getItem(i);
    host.CommandStarting(i, n);
    ++i;
    const Pose from = PoseOf(state);
    if (IsServoMove(c)) {
      // The move gathers the M lines that follow, up to one that names a servo already in
      // it: that one starts the next move, so a servo recorded twice visits both positions.
      Pose target = from;
      bool named[kServoCount + 1] = {};
      target[c.servoId] = c.value;
      named[c.servoId] = true;
      for (; i < n; ++i) {
        const TServoCommand next = script.getItem(i);
        if (!IsServoMove(next) || named[next.servoId]) break;
        host.CommandStarting(i, n);
        target[next.servoId] = next.value;
        named[next.servoId] = true;
      }
      RunMotion(MotionPlan(from, target, limits, motion.tickMs, requestedMs), host, timeline, line,
                halted);
      requestedMs = 0;
    } else if (c.letter == 'P') {
      const int64_t pauseMs = scaledMs(std::chrono::seconds(c.value));
      RunMotion(MotionPlan::Hold(from, motion.tickMs, pauseMs), host, timeline, line, halted);
    } else if (c.letter == kTimedMoveLetter) {
      requestedMs = scaledMs(std::chrono::milliseconds(c.value * kTimedMoveUnitMs));
    }
  }
}
