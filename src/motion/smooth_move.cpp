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
