#include "workspace_jog.h"

#include <algorithm>
#include <array>

#include "arm_pose.h"
#include "translate.h"

namespace {

using Positions = std::array<int32_t, kServoCount + 1>;

double ToolHeight(Positions p, const Workspace& ws, bool wristFollows) {
  if (wristFollows) {
    // As HorizontalFrame will set it, within servo 4's limits.
    p[4] = std::min(std::max(p[1] - p[2] + 127, ws.tables.Minval[4]), ws.tables.Maxval[4]);
  }
  return ToolPointFromPositions(std::span<const int32_t, kServoCount + 1>(p), ws.arm).Y;
}

double& Axis(ToolPoint& p, int k) {
  return k == 0 ? p.X : k == 1 ? p.Y : p.Z;
}

}  // namespace

std::string JogStopStatus(const MovePlan& refused) {
  switch (refused.refusal) {
    case Refusal::BelowTable:
      return Tr("Table reached");
    case Refusal::ServoLimit:
      return TrFormat("Servo {1} at its limit", {std::to_string(refused.servo)});
    case Refusal::GeometryNotSet:
      return refused.reason;
    default:
      return Tr("Edge of the workspace");
  }
}

bool HoldAboveTable(ServoState& state, const int32_t (&before)[kServoCount + 1],
                    const Workspace& ws, bool wristFollows) {
  // Only the shoulder, elbow and wrist change the height; the others keep their step.
  if (state.position[1] == before[1] && state.position[2] == before[2] &&
      state.position[4] == before[4]) {
    return false;  // the tick's usual case, spared the trigonometry
  }
  Positions pose;
  std::copy(std::begin(state.position), std::end(state.position), pose.begin());
  for (int s : {1, 2, 4}) pose[s] = before[s];
  const bool follows = wristFollows && (state.direction[1] != 0 || state.direction[2] != 0);
  double height = ToolHeight(pose, ws, follows);
  bool held = false;
  for (int s : {1, 2, 4}) {
    if (state.position[s] == before[s] || (s == 4 && follows)) continue;
    Positions next = pose;
    next[s] = state.position[s];
    const double y = ToolHeight(next, ws, follows);
    if (y < ws.minToolY && y < height) {
      state.position[s] = before[s];
      held = true;
    } else {
      pose = next;
      height = y;
    }
  }
  return held;
}

ToolJog::Outcome ToolJog::Step(ServoState& state, const ToolJogDirection& d, const Workspace& ws,
                               float stepCm) {
  Outcome out;
  if (!d.any()) return out;
  if (!known_ || !std::equal(at_ + 1, at_ + 5, state.position + 1)) {
    target_ = ToolPointFromPositions(state.position, ws.arm);
    known_ = true;
  }
  const int32_t directions[] = {d.x, d.y, d.z};
  MovePlan last;
  for (int k = 0; k < 3; ++k) {
    if (directions[k] == 0) continue;
    ToolPoint next = target_;
    Axis(next, k) += directions[k] * double{stepCm};
    Workspace within = ws;
    // A point under the table (the joints took it there) may always rise.
    if (k == 1 && directions[k] > 0) within.minToolY = std::min(ws.minToolY, float(next.Y));
    MovePlan plan;
    try {
      plan = PlanMove(next, within);
    } catch (const EMathError&) {
      plan.refusal = Refusal::TooNear;  // the wrist on the shoulder joint
    }
    if (plan.accepted()) {
      target_ = next;
      last = plan;
      out.moved = true;
    } else if (out.status.empty()) {
      out.status = JogStopStatus(plan);
    }
  }
  if (out.moved) {
    for (int i = 1; i <= 4; ++i) state.position[i] = last.position[i];
  }
  std::copy(state.position, state.position + kServoCount + 1, at_);
  return out;
}

ByteString WorkspaceJog::AfterStep(ServoState& state, const ServoState& before, const Workspace& ws,
                                   bool wristFollows, float stepMm) {
  ByteString frames;
  if (!toolMode) {
    status_ = HoldAboveTable(state, before.position, ws, wristFollows) ? Tr("Table reached") : "";
    return frames;
  }
  int32_t from[kServoCount + 1];
  std::copy(std::begin(state.position), std::end(state.position), from);
  status_ = tool_.Step(state, direction, ws, stepMm / 10).status;
  for (int i = 1; i <= 4; ++i) {
    if (state.position[i] != from[i]) frames += ServoFrameOf(state, ws.tables, i);
  }
  return frames;
}
