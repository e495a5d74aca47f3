#include "arm_pose.h"

#include <cmath>
#include <numbers>

double PositionToAngle(int32_t position) {
  return (position - 127) * std::numbers::pi / 254.0;
}

ArmPose PoseFromPositions(std::span<const int32_t, 7> positions, double H, double L1, double L2,
                          double L3) {
  using std::numbers::pi;
  // Servo 1 carries the negated shoulder angle, 0 with the upper arm straight up; the elbow
  // angle is 0 with the forearm square to the upper arm; the wrist turns the hand from the
  // forearm's direction.
  const double upper = pi / 2 - PositionToAngle(positions[1]);
  const double fore = upper - pi / 2 + PositionToAngle(positions[2]);
  const double hand = fore + PositionToAngle(positions[4]);

  ArmPose pose;
  pose.shoulder = {0, H};
  pose.elbow = {L1 * std::cos(upper), H + L1 * std::sin(upper)};
  pose.wrist = {pose.elbow.reach + L2 * std::cos(fore), pose.elbow.height + L2 * std::sin(fore)};
  pose.tool = {pose.wrist.reach + L3 * std::cos(hand), pose.wrist.height + L3 * std::sin(hand)};
  // The base angle is atan(Z / X) - pi/2, so the plane points at base angle + pi/2.
  pose.baseTurn = PositionToAngle(positions[3]) + pi / 2;
  return pose;
}

ToolPoint ToolPointOf(const ArmPose& pose) {
  return {pose.tool.reach * std::cos(pose.baseTurn), pose.tool.height,
          pose.tool.reach * std::sin(pose.baseTurn)};
}

ToolPoint ToolPointFromPositions(std::span<const int32_t, 7> positions, const ArmGeometry& arm) {
  return ToolPointOf(PoseFromPositions(positions, arm.H, arm.L1, arm.L2, arm.L3));
}
