#include <gtest/gtest.h>

#include <numbers>

#include "arm_pose.h"

namespace {

TEST(ArmPose, MidPositionsStandTheArmUpWithTheForearmLevel) {
  const int32_t p[7] = {0, 127, 127, 127, 127, 127, 127};
  const ArmPose pose = PoseFromPositions(p, 5, 10, 10, 5);
  EXPECT_NEAR(pose.elbow.reach, 0, 1e-9);
  EXPECT_NEAR(pose.elbow.height, 15, 1e-9);
  EXPECT_NEAR(pose.wrist.reach, 10, 1e-9);
  EXPECT_NEAR(pose.wrist.height, 15, 1e-9);
  EXPECT_NEAR(pose.tool.reach, 15, 1e-9);
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

TEST(ArmPose, AngleRule) {
  EXPECT_NEAR(PositionToAngle(0), -std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(PositionToAngle(127), 0, 1e-12);
  EXPECT_NEAR(PositionToAngle(254), std::numbers::pi / 2, 1e-12);
}

}  // namespace
