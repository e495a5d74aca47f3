#include "motion_config.h"

MotionLimits LimitsOf(const ServoTables& tables, const MotionConfig& config) {
  MotionLimits limits{};
  for (int s = 1; s <= kServoCount; ++s) {
    limits[s] = {tables.Minval[s], tables.Maxval[s], config.speed[s], config.accel[s]};
  }
  return limits;
}

Pose PoseOf(const ServoState& state) {
  Pose pose{};
  for (int s = 1; s <= kServoCount; ++s) pose[s] = state.position[s];
  return pose;
}
