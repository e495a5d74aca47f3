// Where the arm's joints are for a set of servo positions: the inverse of what Move solves,
// used to draw the virtual arm.
#pragma once

#include <cstdint>

struct ArmPoint {
  double reach = 0;   // horizontal distance from the base axis, cm
  double height = 0;  // cm above the base origin
};

struct ArmPose {
  ArmPoint shoulder, elbow, wrist, tool;
  double baseTurn = 0;  // direction of the arm's vertical plane in the top view, radians
};

// Position p stands for the joint angle (p - 127) * pi / 254.
double PositionToAngle(int32_t position);

// Servo 1 shoulder, 2 elbow, 3 base, 4 wrist; lengths in cm. positions[1..6].
ArmPose PoseFromPositions(const int32_t positions[7], double H, double L1, double L2, double L3);
