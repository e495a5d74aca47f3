// How moves run: classic (each target at once, as recorded) or smooth (coordinated moves
// under per-servo speed and acceleration limits), and the tick grid smooth moves step on.
#pragma once

#include <cstdint>

#include "motion_plan.h"
#include "servo_state.h"

// The tick of a smooth move when the settings give none (servoComInterval 0 never ticks).
inline constexpr int kDefaultMotionTickMs = 20;

struct MotionConfig {
  bool smooth = false;
  int32_t speed[kServoCount + 1] = {};  // positions per second, 0: no limit
  int32_t accel[kServoCount + 1] = {};  // positions per second per second, 0: no limit
  int tickMs = kDefaultMotionTickMs;
  int framesPerTick = kServoCount;  // the line's budget (line_budget.h)
};

// The limits of each servo: its min and max from the tables, speed and accel from `config`.
MotionLimits LimitsOf(const ServoTables& tables, const MotionConfig& config);
// The servos' positions as a pose.
Pose PoseOf(const ServoState& state);
