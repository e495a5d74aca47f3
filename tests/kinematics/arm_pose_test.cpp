#include <gtest/gtest.h>

#include <numbers>

#include "arm_pose.h"
#include "move_to_point.h"

namespace {

TEST(ArmPose, MidPositionsStandTheArmUpWithTheForearmLevel) {
  const int32_t p[7] = {0, 127, 127, 127, 127, 127, 127};
  const ArmPose pose = PoseFromPositions(p, 5, 10, 10, 5);
  EXPECT_EQ(pose.shoulder.reach, 0);
  EXPECT_EQ(pose.shoulder.height, 5);
  EXPECT_NEAR(pose.elbow.reach, 0, 1e-9);
  EXPECT_NEAR(pose.elbow.height, 15, 1e-9);
  EXPECT_NEAR(pose.wrist.reach, 10, 1e-9);
  EXPECT_NEAR(pose.wrist.height, 15, 1e-9);
  EXPECT_NEAR(pose.tool.reach, 15, 1e-9);
  EXPECT_NEAR(pose.tool.height, 15, 1e-9);
  EXPECT_NEAR(pose.baseTurn, std::numbers::pi / 2, 1e-9);
}

TEST(ArmPose, PositionsOfASolvedMoveReachItsPoint) {
  // The Move to (15, 5, 0) with H 5, L1 10, L2 10, L3 5 sends 169, 85, 0, 212.
  const int32_t p[7] = {0, 169, 85, 0, 212, 127, 127};
  const ArmPose pose = PoseFromPositions(p, 5, 10, 10, 5);
  // Positions are whole steps of 0.7 degrees, so the point is met to a few millimetres.
  EXPECT_NEAR(pose.wrist.reach, 10, 0.3);
  EXPECT_NEAR(pose.wrist.height, 5, 0.3);
  EXPECT_NEAR(pose.tool.reach, 15, 0.3);
  EXPECT_NEAR(pose.tool.height, 5, 0.3);
  EXPECT_NEAR(pose.baseTurn, 0, 1e-9);  // base position 0: the plane points along X
}

// The servo positions a Move sends for a point, through the forward kinematics again.
ToolPoint RoundTrip(const ArmGeometry& arm, int x, int y, int z) {
  ServoState state;
  ServoTables tables;
  for (int i = 1; i <= kServoCount; ++i) {
    state.position[i] = 127;
    tables.Maxval[i] = 254;
    tables.Address[i] = i;
  }
  MoveToPoint(std::to_string(x), std::to_string(y), std::to_string(z), arm, state, tables);
  return ToolPointFromPositions(state.position, arm);
}

TEST(ArmPose, AMovesPositionsGiveBackItsTarget) {
  // Points above and below the shoulder, near and far, whose joint angles all lie within the
  // servos' half turn (X > 0, Z >= 0 for the base); beyond it a position wraps.
  const struct {
    ArmGeometry arm;
    int x, y, z;
  } cases[] = {
      {{5, 10, 10, 5}, 15, 5, 0},  {{5, 10, 10, 5}, 12, 9, 6},     {{5, 10, 10, 5}, 10, 2, 8},
      {{5, 10, 10, 5}, 20, 2, 3},  {{8, 12, 12, 6}, 18, 8, 9},     {{8, 12, 12, 6}, 10, 20, 4},
      {{8, 12, 12, 6}, 16, 14, 5}, {{30, 60, 50, 20}, 90, 40, 30},
  };
  for (const auto& c : cases) {
    const ToolPoint p = RoundTrip(c.arm, c.x, c.y, c.z);
    // Each joint is a whole step of pi/254; the error grows with the links it swings.
    const double tolerance = 0.02 * (c.arm.L1 + c.arm.L2 + c.arm.L3);
    SCOPED_TRACE(testing::Message() << "target " << c.x << ", " << c.y << ", " << c.z);
    EXPECT_NEAR(p.X, c.x, tolerance);
    EXPECT_NEAR(p.Y, c.y, tolerance);
    EXPECT_NEAR(p.Z, c.z, tolerance);
  }
}

TEST(ArmPose, ToolPointAtTheMidPositions) {
  const int32_t p[7] = {0, 127, 127, 127, 127, 127, 127};
  // Upper arm up, forearm and hand level, the plane turned a quarter from X towards Z.
  const ToolPoint t = ToolPointFromPositions(p, ArmGeometry{5, 10, 10, 5});
  EXPECT_NEAR(t.X, 0, 1e-9);
  EXPECT_NEAR(t.Y, 15, 1e-9);
  EXPECT_NEAR(t.Z, 15, 1e-9);
}

TEST(ArmPose, AngleRule) {
  EXPECT_NEAR(PositionToAngle(0), -std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(PositionToAngle(127), 0, 1e-12);
  EXPECT_NEAR(PositionToAngle(254), std::numbers::pi / 2, 1e-12);
}

}  // namespace
