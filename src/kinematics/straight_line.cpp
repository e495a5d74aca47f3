#include "straight_line.h"

#include <algorithm>
#include <cmath>

#include "translate.h"

namespace {

constexpr double kCheckEveryCm = 0.1;
constexpr double kMostPerTickCm = 0.5;

ToolPoint Along(const ToolPoint& a, const ToolPoint& b, double s) {
  return {a.X + (b.X - a.X) * s, a.Y + (b.Y - a.Y) * s, a.Z + (b.Z - a.Z) * s};
}

MovePlan Check(const ToolPoint& p, const Workspace& ws) {
  try {
    return PlanMove(p, ws);
  } catch (const EMathError&) {
    MovePlan refused;  // the wrist on the shoulder joint
    refused.refusal = Refusal::TooNear;
    refused.reason =
        TrFormat("Too near: {1} puts the wrist on the shoulder joint", {FormatPoint(p)});
    return refused;
  }
}

std::string LeavesWorkspace(const ToolPoint& p, const MovePlan& plan) {
  return TrFormat("The line leaves the workspace at {1}: {2}", {FormatPoint(p), plan.reason});
}

}  // namespace

double Distance(const ToolPoint& a, const ToolPoint& b) {
  return std::sqrt((a.X - b.X) * (a.X - b.X) + (a.Y - b.Y) * (a.Y - b.Y) +
                   (a.Z - b.Z) * (a.Z - b.Z));
}

std::vector<std::array<int32_t, kServoCount + 1>> LinePoses(
    const LinePlan& line, const std::array<int32_t, kServoCount + 1>& rest) {
  std::vector<std::array<int32_t, kServoCount + 1>> poses;
  for (const auto& p : line.positions) {
    poses.push_back(rest);
    std::copy(p.begin() + 1, p.end(), poses.back().begin() + 1);
  }
  return poses;
}

int LineTicks(double lengthCm, int atLeast) {
  return std::max({atLeast, 1, static_cast<int>(std::ceil(lengthCm / kMostPerTickCm))});
}

LinePlan PlanLine(const ToolPoint& from, const ToolPoint& to, const Workspace& ws, int ticks) {
  LinePlan line;
  const int samples = std::max(1, static_cast<int>(std::ceil(Distance(from, to) / kCheckEveryCm)));
  for (int i = 1; i <= samples; ++i) {
    const ToolPoint p = Along(from, to, double(i) / samples);
    const MovePlan plan = Check(p, ws);
    if (!plan.accepted()) {
      line.refused = plan;
      line.refused.reason = LeavesWorkspace(p, plan);
      return line;
    }
  }
  ticks = std::max(ticks, 1);
  for (int k = 1; k <= ticks; ++k) {
    const double t = double(k) / ticks;
    const ToolPoint p = Along(from, to, t * t * (3 - 2 * t));
    const MovePlan plan = Check(p, ws);
    if (!plan.accepted()) {  // between two checked millimetres: refused all the same
      line.refused = plan;
      line.refused.reason = LeavesWorkspace(p, plan);
      line.points.clear();
      line.positions.clear();
      return line;
    }
    line.points.push_back(p);
    line.positions.push_back(
        {0, plan.position[1], plan.position[2], plan.position[3], plan.position[4]});
  }
  return line;
}
