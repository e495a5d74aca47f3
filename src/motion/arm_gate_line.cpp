// A Move along a straight line, as the gate plans and runs it.
#include <cmath>
#include <limits>
#include <vector>

#include "arm_gate.h"
#include "arm_pose.h"
#include "straight_line.h"
#include "translate.h"

namespace {

// The least ticks in which every servo covers its whole way along `poses` from `from` under
// its speed and acceleration limits.
int LeastTicks(const Pose& from, const std::vector<Pose>& poses, const ServoTables& tables,
               const MotionConfig& motion) {
  Pose way{};
  Pose last = from;
  for (const Pose& pose : poses) {
    for (int s = 1; s <= kServoCount; ++s) way[s] += std::abs(pose[s] - last[s]);
    last = pose;
  }
  MotionLimits limits = LimitsOf(tables, motion);
  for (int s = 1; s <= kServoCount; ++s) {
    limits[s].min = 0;
    limits[s].max = std::numeric_limits<int32_t>::max();
  }
  return MotionPlan(Pose{}, way, limits, motion.tickMs).ticks();
}

MovePlan LevelAt(const ToolPoint& p, const Workspace& ws) {
  try {
    return PlanMove(p, ws);
  } catch (const EMathError& e) {
    MovePlan refused;
    refused.refusal = Refusal::TooNear;
    refused.reason = e.what();
    return refused;
  }
}

}  // namespace

bool ArmGate::RunLine(const ToolPoint& to, ArmRun& run) {
  const Workspace& ws = settings_.workspace;
  const ToolPoint from = ToolPointFromPositions(received_, ws.arm);
  // The hand as it is differs from a level one at the start; the line takes that difference
  // out as it goes, so nothing snaps on the first tick.
  const MovePlan level = LevelAt(from, ws);
  if (!level.accepted()) {
    throw EMoveRefused(
        TrFormat("The line leaves the workspace at {1}: {2}", {FormatPoint(from), level.reason}));
  }
  int ticks = LineTicks(Distance(from, to), 1);
  std::vector<Pose> poses;
  // Each round stretches the line to what its slowest servo needs; the ease keeps the shape,
  // so one or two rounds settle it.
  for (int round = 0; round < 4; ++round) {
    const LinePlan line = PlanLine(from, to, ws, ticks);
    if (!line.refused.accepted()) throw EMoveRefused(line.refused.reason);
    poses = LinePoses(line, received_);
    for (size_t k = 0; k < poses.size(); ++k) {
      const double t = static_cast<double>(k + 1) / static_cast<double>(poses.size());
      const double left = 1 - t * t * (3 - 2 * t);
      for (int s = 1; s <= 4; ++s) {
        poses[k][s] += static_cast<int32_t>(std::lround(left * (received_[s] - level.position[s])));
      }
    }
    const int least = LeastTicks(received_, poses, tables(), settings_.motion);
    if (least <= ticks) break;
    ticks = least;
  }
  return run.Through(poses);
}
