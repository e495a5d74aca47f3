#include "smooth_move.h"

bool MoveSmoothly(MotionHost& host, const MotionConfig& config, const Pose& target,
                  const std::function<bool()>& halted) {
  const Pose start = PoseOf(host.servoState());
  const MotionPlan plan(start, target, LimitsOf(host.servoTables(), config), config.tickMs);
  Timeline timeline(host.Clock());
  LineBudget line(config.framesPerTick);
  line.Reset(start);
  return RunMotion(plan, host, timeline, line, halted);
}

bool MoveThrough(MotionHost& host, const MotionConfig& config, std::span<const Pose> poses,
                 const std::function<bool()>& halted) {
  Pose from = PoseOf(host.servoState());
  // No speed or acceleration limit: each pose is one tick's step of the path.
  const MotionLimits free = LimitsOf(host.servoTables(), MotionConfig{});
  Timeline timeline(host.Clock());
  LineBudget line(config.framesPerTick);
  line.Reset(from);
  for (const Pose& pose : poses) {
    if (!RunMotion(MotionPlan(from, pose, free, config.tickMs), host, timeline, line, halted)) {
      return false;
    }
    from = pose;
  }
  return true;
}
